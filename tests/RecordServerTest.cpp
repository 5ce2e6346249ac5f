// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempPostgres.h"
#include "record/RecordServer.h"
#include "record/RecordSync.h"
#include "record/RecordSyncJob.h"
#include "record/ServiceRecord.h"

#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

using Failure = CRecordServer::Failure;

// A laptop's record in a data folder of its own.
struct Laptop
{
    QTemporaryDir dir;
    QString Path() const { return dir.filePath("record.sqlite"); }

    // A visit at the lift; full adds a snapshot, a write with its outcome and a fault log (7 events, else 3).
    void Visit(const QString& lift, bool full)
    {
        CServiceRecord record(Path());
        record.StartVisit();
        record.SetIdentity({"P1", lift, "", std::nullopt, ""});
        if (full) {
            record.AddSnapshot("lift", {{1, 10}, {2, 20}, {3, 30}}, true, 173);
            record.AddWriteOutcome(record.AddWriteIntent("lift", "parameter", 2, "20", "21"), CServiceRecord::Outcome::Acknowledged);
            record.AddFaults("log", {{1, 5, "门锁断开", 3, "12:00"}, {2, 7, "超速", 1, "12:05"}});
        }
        record.EndVisit();
    }
    // Everything in the record, one line per row of each view, sorted.
    QString Contents() const
    {
        CServiceRecord record(Path(), true);
        record.Open();
        QStringList rows;
        for (const char* view : {"record_visits", "record_parameters", "record_writes", "record_faults"}) {
            QSqlQuery query(record.Database());
            query.exec(QString("SELECT * FROM %1").arg(view));
            while (query.next()) {
                QStringList fields{view};
                for (int i = 0; i < query.record().count(); ++i)
                    fields << query.value(i).toString();
                rows << fields.join('|');
            }
        }
        rows.sort();
        return rows.join('\n');
    }
    int Visits() const { return Contents().count("record_visits|"); }
};

std::string Sync(const Laptop& laptop, const QString& conninfo, std::function<void(const QString&)> hook = {})
{
    CRecordSync sync(laptop.Path(), conninfo);
    sync.SetStepHook(std::move(hook));
    return sync.Sync().text.toStdString();
}

// Rows of the server's events, and how many distinct keys they have.
QString ServerCounts(const QString& conninfo)
{
    QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "server-counts");
    db.setConnectOptions(conninfo);
    QString counts;
    if (db.open()) {
        QSqlQuery query(db);
        query.exec("SELECT (SELECT count(*) FROM visits) || '/' || (SELECT count(DISTINCT id) FROM visits) || ' ' || "
                   "(SELECT count(*) FROM snapshot_values) || ' ' || (SELECT count(*) FROM identities)");
        counts = query.next() ? query.value(0).toString() : query.lastError().text();
    }
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("server-counts");
    return counts;
}

QString Execute(const QString& conninfo, const QString& sql)
{
    QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "refusal");
    db.setConnectOptions(conninfo);
    QString error = "not connected";
    if (db.open()) {
        QSqlQuery query(db);
        error = query.exec(sql) ? QString("done") : query.lastError().databaseText();
    }
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase("refusal");
    return error;
}

} // namespace

// Two laptops meet on the company's server: union, idempotence, a sync cut off
// by the server going down, append-only enforcement, and failures that leave
// the laptop's record as it was.
TEST(RecordServerTest, LaptopsShareAnAppendOnlyRecord)
{
    CTempPostgres server;
    ASSERT_TRUE(server.Ok()) << qPrintable(server.Error());
    const QString owner = server.ConnInfo(CTempPostgres::kOwner);
    QString report;
    ASSERT_TRUE(CRecordServer::Setup(owner, report)) << qPrintable(report);
    for (const char* role : {"tech07", "tech08", "tech09"})
        ASSERT_EQ(Execute(owner, QString("CREATE ROLE %1 LOGIN PASSWORD 'pw-%1' IN ROLE velor_technician").arg(role)), "done");
    const QString a = server.ConnInfo("tech07", "pw-tech07"), b = server.ConnInfo("tech08", "pw-tech08");

    Laptop laptopA, laptopB;
    laptopA.Visit("E-100", true);
    laptopB.Visit("E-100", false);
    laptopB.Visit("E-200", false);

    // Union: each pushes its own; each pulls the other's visits of its lifts only.
    EXPECT_EQ(Sync(laptopA, a), "推送 7 条，拉取 0 条");
    EXPECT_EQ(Sync(laptopB, b), "推送 6 条，拉取 7 条");
    EXPECT_EQ(Sync(laptopA, a), "推送 0 条，拉取 3 条");
    EXPECT_EQ(laptopA.Visits(), 2);
    EXPECT_EQ(laptopB.Contents().count("record_faults|"), 2);
    EXPECT_TRUE(laptopB.Contents().contains("|2|20|21|acknowledged"));
    ASSERT_TRUE(CRecordServer::Setup(owner, report)) << qPrintable(report); // again, after an update of velor

    // Syncing again changes nothing, also when run in the worker.
    const QString before = laptopA.Contents(), serverBefore = ServerCounts(owner);
    CRecordSyncJob job(laptopA.Path(), a);
    QSignalSpy finished(&job, &CRecordSyncJob::finished);
    ASSERT_TRUE(job.start());
    EXPECT_FALSE(job.start());
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(finished.first().first().toString().toStdString(), "推送 0 条，拉取 0 条");
    EXPECT_EQ(laptopA.Contents(), before);
    EXPECT_EQ(ServerCounts(owner), serverBefore);

    // One lift's history on demand.
    CRecordSync history(laptopA.Path(), a);
    EXPECT_EQ(history.History("E-200").text.toStdString(), "推送 0 条，拉取 3 条");
    EXPECT_EQ(laptopA.Visits(), 3);

    // Cut off while pushing (after the snapshots went up) and while pulling: finished later, nothing twice.
    laptopA.Visit("E-100", true);
    const auto stopAfter = [&](const QString& table) {
        return [&server, table](const QString& step) {
            if (step == table)
                server.Stop();
        };
    };
    EXPECT_TRUE(Sync(laptopA, a, stopAfter("push snapshots")).rfind("连不上记录服务器", 0) == 0);
    ASSERT_TRUE(server.Start()) << qPrintable(server.Error());
    EXPECT_EQ(ServerCounts(owner), serverBefore);
    EXPECT_EQ(Sync(laptopA, a), "推送 7 条，拉取 0 条");
    const QString bBefore = laptopB.Contents();
    EXPECT_TRUE(Sync(laptopB, b, stopAfter("pull visits")).rfind("连不上记录服务器", 0) == 0);
    EXPECT_EQ(laptopB.Contents(), bBefore);
    ASSERT_TRUE(server.Start()) << qPrintable(server.Error());
    EXPECT_EQ(Sync(laptopB, b), "推送 0 条，拉取 7 条");
    EXPECT_EQ(ServerCounts(owner), "4/4 6 4");
    EXPECT_EQ(laptopA.Contents(), laptopB.Contents());

    // Nobody rewrites the record: not a technician, not the owner.
    struct Change { QString conninfo, sql, refusal; };
    for (const Change& change : std::vector<Change>{
             {a, "UPDATE visits SET started = '2000-01-01'", "permission denied"},
             {a, "DELETE FROM snapshot_values", "permission denied"},
             {a, "TRUNCATE fault_entries", "permission denied"},
             {owner, "UPDATE visits SET started = '2000-01-01'", "append-only: UPDATE on visits"},
             {owner, "DELETE FROM write_outcomes", "append-only: DELETE on write_outcomes"},
             {owner, "TRUNCATE identities", "append-only: TRUNCATE on identities"}})
        EXPECT_TRUE(Execute(change.conninfo, change.sql).contains(change.refusal)) << qPrintable(change.sql);
    EXPECT_EQ(ServerCounts(owner), "4/4 6 4");

    // A wrong password, a server that is not there: their own messages, the laptop's record untouched.
    struct Unusable { QString conninfo; Failure failure; QString text; };
    const QString contents = laptopA.Contents();
    for (const Unusable& unusable : std::vector<Unusable>{
             {server.ConnInfo("tech09", "wrong"), Failure::Login, "记录服务器拒绝登录"},
             {a + " host=" + server.Folder() + "/nowhere", Failure::Network, "连不上记录服务器"},
             {"", Failure::NotConfigured, "没有设置记录服务器"},
             {a + " password=pw-tech07", Failure::PasswordGiven, "连接串里不能写口令"}}) {
        const CRecordSync::Result result = CRecordSync(laptopA.Path(), unusable.conninfo).Sync();
        EXPECT_EQ(result.failure, unusable.failure) << qPrintable(result.text);
        EXPECT_TRUE(result.text.startsWith(unusable.text)) << qPrintable(result.text);
    }
    EXPECT_EQ(laptopA.Contents(), contents);
}
