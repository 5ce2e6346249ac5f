// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/ServiceRecord.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString Scalar(CServiceRecord& record, const QString& sql)
{
    QSqlQuery query(record.Database());
    return query.exec(sql) && query.next() ? query.value(0).toString() : QString("<none>");
}

struct RecordRig
{
    QTemporaryDir dir;
    QString Path() const { return dir.path() + "/velor/record.sqlite"; }
    QStringList messages;
    CServiceRecord::MessageHandler old =
        CServiceRecord::SetMessageHandler([this](const QString& text) { messages << text; });
    ~RecordRig() { CServiceRecord::SetMessageHandler(old); }
};

int RunCli(const QString& dataHome, const QStringList& args, QString* out = nullptr)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", dataHome);
    process.setProcessEnvironment(env);
    process.start(VELOR_RECORD_PROGRAM, args);
    process.waitForFinished(5000);
    if (out)
        *out = QString::fromUtf8(process.readAllStandardOutput());
    return process.exitCode();
}

} // namespace

// Writes, outcomes and the views: an intent whose process was killed before
// its outcome reads "unknown"; two processes write the same file at once.
TEST(ServiceRecordTest, EventsSurviveKillAndSharing)
{
    RecordRig rig;
    QDir().mkpath(rig.dir.path() + "/velor");
    const pid_t killed = fork();
    if (killed == 0) {
        CServiceRecord child(rig.Path());
        child.StartVisit();
        child.AddWriteIntent("lift", "parameter", 7, "1", "2");
        raise(SIGKILL);
    }
    int status = 0;
    waitpid(killed, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    const pid_t writer = fork();
    if (writer == 0) {
        CServiceRecord child(rig.Path());
        child.StartVisit();
        for (int i = 0; i < 50; ++i)
            child.AddWriteOutcome(child.AddWriteIntent("door", "parameter", i, "0", "1"),
                                  CServiceRecord::Outcome::Acknowledged);
        _exit(child.IsRecording() ? 0 : 1);
    }
    CServiceRecord record(rig.Path());
    record.StartVisit();
    for (int i = 0; i < 50; ++i)
        record.AddWriteOutcome(record.AddWriteIntent("lift", "clock", {}, {}, "x"), CServiceRecord::Outcome::Refused);
    waitpid(writer, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(record.IsRecording());
    EXPECT_EQ(Scalar(record, "SELECT outcome FROM record_writes WHERE parameter = 7 AND board = 'lift'"), "unknown");
    EXPECT_EQ(Scalar(record, "SELECT count(*) FROM record_writes WHERE outcome = 'acknowledged'"), "50");
    EXPECT_EQ(Scalar(record, "SELECT count(*) FROM record_writes WHERE outcome = 'refused' AND parameter IS NULL"), "50");
    EXPECT_EQ(Scalar(record, "SELECT count(DISTINCT visit) FROM record_visits"), "3");
}

// A file that is damaged, written by a newer version, or in a folder that
// cannot be made: one message naming the file, and nothing is overwritten.
TEST(ServiceRecordTest, UnusableFilesGiveOneMessage)
{
    // version: the schema version a record of velor's is set to; 0 for a damaged file.
    struct Case { const char* name; QByteArray contents; int version; bool recording; };
    const Case cases[] = {
        {"damaged", QByteArray(4096, 'x'), 0, true},
        {"newer", {}, 99, false},
        {"no version of ours", {}, -3, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordRig rig;
        QDir().mkpath(rig.dir.path() + "/velor");
        if (c.version) {
            CServiceRecord first(rig.Path());
            first.StartVisit();
            QSqlQuery(first.Database()).exec(QString("PRAGMA user_version = %1").arg(c.version));
        } else {
            QFile file(rig.Path());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.contents);
        }
        CServiceRecord record(rig.Path());
        record.StartVisit();
        record.AddWriteIntent("lift", "phone", {}, "1", "2");
        EXPECT_EQ(rig.messages.size(), 1);
        EXPECT_TRUE(rig.messages.value(0).contains(rig.Path()));
        EXPECT_EQ(record.IsRecording() && !record.IsReadOnly(), c.recording);
        if (!c.version) {
            const QStringList kept = QDir(rig.dir.path() + "/velor").entryList({"record.sqlite.damaged-*"});
            ASSERT_EQ(kept.size(), 1);
            QFile file(rig.dir.path() + "/velor/" + kept.first());
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), c.contents);
        }
    }
    RecordRig blocked;
    QFile(blocked.dir.path() + "/velor").open(QIODevice::WriteOnly); // a file where the folder should be
    CServiceRecord record(blocked.Path());
    EXPECT_TRUE(record.AddWriteIntent("lift", "phone", {}, "1", "2").isEmpty());
    record.AddWriteIntent("lift", "phone", {}, "1", "2");
    EXPECT_EQ(blocked.messages.size(), 1);
    EXPECT_FALSE(record.IsRecording());
}

// velor-record's commands and exit codes.
TEST(ServiceRecordTest, CommandLine)
{
    RecordRig rig;
    QString snapshot, other;
    {
        CServiceRecord record(rig.Path());
        record.StartVisit();
        record.SetIdentity({.programName = "P1", .elevatorId = "E7"});
        snapshot = record.AddSnapshot("lift", {{1, 10}, {2, 20}}, true, 173);
        other = record.AddSnapshot("lift", {{1, 10}, {2, 21}}, false, 173);
        record.AddWriteOutcome(record.AddWriteIntent("lift", "parameter", 2, "20", "21"),
                               CServiceRecord::Outcome::Acknowledged);
        record.EndVisit();
    }
    const QString file = rig.dir.path() + "/s.F";
    const QString home = rig.dir.path();
    struct Case { QStringList args; int code; const char* output; };
    const Case cases[] = {
        {{"lifts"}, 0, "E7\tP1\t1"},
        {{"visits", "E7"}, 0, "E7\tP1"},
        {{"changes", "--last"}, 0, "parameter\t2\t20\t21\tacknowledged"},
        {{"changes", "--csv"}, 0, "at,board,what,parameter,old_value,new_value,outcome"},
        {{"snapshot", snapshot, "-o", file}, 0, ""},
        {{"diff", file, snapshot}, 0, ""},
        {{"diff", file, other}, 1, "2\t20\t21"},
        {{"check"}, 0, "ok"},
        {{"diff", file}, 2, ""},
        {{"frobnicate"}, 2, ""},
        {{}, 2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QString out;
        EXPECT_EQ(RunCli(home, c.args, &out), c.code);
        EXPECT_TRUE(out.contains(c.output)) << out.toStdString();
    }
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), CParamFile::Encode({{1, 10}, {2, 20}}));
}

// A record of the first schema opens migrated: what it held reads through the
// views, a visit with only an assigned lift shows under it, and new events of
// the present schema go in beside the old ones.
TEST(ServiceRecordTest, RecordOfTheFirstSchemaIsMigratedWithEverythingKept)
{
    RecordRig rig;
    QString visit, snapshot;
    {
        CServiceRecord first(rig.Path(), false, 1);
        visit = first.StartVisit();
        first.AddWriteOutcome(first.AddWriteIntent("lift", "parameter", 7, "1", "2"), CServiceRecord::Outcome::Refused);
        QSqlQuery insert(first.Database());
        ASSERT_TRUE(insert.exec(QString("INSERT INTO snapshots (id, visit, taken, board, complete) "
                                        "VALUES ('s1', '%1', '2026-01-01T10:00:00.000+08:00', 'door', 1)").arg(visit)));
        ASSERT_TRUE(insert.exec("INSERT INTO snapshot_values VALUES ('s1', 0, 5)"));
        EXPECT_EQ(Scalar(first, "PRAGMA user_version"), "1");
    }
    CServiceRecord record(rig.Path());
    record.AssignLift(visit, "E9");
    snapshot = record.AddSnapshot("lift", {{0, 1}}, false, 114);
    EXPECT_EQ(Scalar(record, "PRAGMA user_version"), QString::number(CServiceRecord::kSchemaVersion));
    EXPECT_EQ(Scalar(record, QString("SELECT elevator_id FROM record_visits WHERE visit = '%1'").arg(visit)), "E9");
    EXPECT_EQ(Scalar(record, "SELECT outcome FROM record_writes WHERE parameter = 7"), "refused");
    EXPECT_EQ(Scalar(record, "SELECT count(*) FROM record_parameters"), "2");
    const std::optional<CServiceRecord::Snapshot> old = record.LoadSnapshot("s1");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->parameters, 0); // not known for snapshots taken before
    ASSERT_TRUE(record.LoadSnapshot(snapshot));
    EXPECT_EQ(record.LoadSnapshot(snapshot)->parameters, 114);
    EXPECT_TRUE(rig.messages.isEmpty()) << rig.messages.join('\n').toStdString();
}
