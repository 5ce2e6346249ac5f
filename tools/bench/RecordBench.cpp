// SPDX-License-Identifier: GPL-3.0-or-later
// What the service record costs: the time it adds to one parameter write
// (intent before the frame, outcome after; median and worst of 173), a
// 173-value snapshot's commit, and, with a record of 1,000 visits of 250
// values each, the record window's open time, `velor-record changes --last`
// and the file's size per visit. Not part of the tests.
//
//   velor_record_bench [VELOR_RECORD_PROGRAM]   (QT_QPA_PLATFORM=offscreen for no display)

#include "app/RecordWindow.h"
#include "record/RecordedWrite.h"
#include "record/ServiceRecord.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kVisits = 1000;
constexpr int kValues = 250;

QString Id() { return QUuid::createUuid().toString(QUuid::WithoutBraces); }

double Ms(const QElapsedTimer& timer) { return timer.nsecsElapsed() / 1e6; }

// 173 writes as the parameter page records them.
void MeasureWrites()
{
    std::vector<double> times;
    for (int n = 0; n < 173; ++n) {
        QElapsedTimer timer;
        timer.start();
        CRecordedWrite write("lift", "parameter", n, "1", "2");
        write.Done(CServiceRecord::Outcome::Acknowledged);
        times.push_back(Ms(timer));
    }
    std::sort(times.begin(), times.end());
    std::printf("one parameter write: median %.2f ms, worst %.2f ms (173 writes)\n", times[times.size() / 2], times.back());
}

void MeasureSnapshot()
{
    std::vector<ParamRecord> values;
    for (int n = 0; n < 173; ++n)
        values.push_back({n, n * 7});
    QElapsedTimer timer;
    timer.start();
    CServiceRecord::Instance().AddSnapshot("lift", values, true, 173);
    std::printf("173-value snapshot commit: %.1f ms\n", Ms(timer));
}

// Each visit: its identity, one snapshot of kValues values, ten writes with
// their outcomes and a fault log of twenty records, filled in one transaction.
void Fill(CServiceRecord& record)
{
    QSqlDatabase db = record.Database();
    db.transaction();
    QSqlQuery query(db);
    for (int v = 0; v < kVisits; ++v) {
        const QString visit = Id(), snapshot = Id(), log = Id();
        const QString at = QString("2026-%1-01T10:00:00.000+08:00").arg(1 + v % 12, 2, 10, QChar('0'));
        query.exec(QString("INSERT INTO visits VALUES ('%1', '%2')").arg(visit, at));
        query.exec(QString("INSERT INTO visit_ends VALUES ('%1', '%2', '%3')").arg(Id(), visit, at));
        query.exec(QString("INSERT INTO identities VALUES ('%1', '%2', '%3', 'LIFT-%4', 'PROG', '123', %5, '')")
                       .arg(Id(), visit, at)
                       .arg(v % 300)
                       .arg(v));
        query.exec(QString("INSERT INTO snapshots VALUES ('%1', '%2', '%3', 'lift', 1, %4)").arg(snapshot, visit, at).arg(kValues));
        query.prepare("INSERT INTO snapshot_values VALUES (?, ?, ?)");
        for (int n = 0; n < kValues; ++n) {
            query.addBindValue(snapshot);
            query.addBindValue(n);
            query.addBindValue(n * 3 + v);
            query.exec();
        }
        for (int w = 0; w < 10; ++w) {
            const QString intent = Id();
            query.exec(QString("INSERT INTO write_intents VALUES ('%1', '%2', '%3', 'lift', 'parameter', %4, '1', '2')")
                           .arg(intent, visit, at)
                           .arg(w));
            query.exec(QString("INSERT INTO write_outcomes VALUES ('%1', '%2', '%3', 'acknowledged')").arg(Id(), intent, at));
        }
        query.exec(QString("INSERT INTO fault_logs VALUES ('%1', '%2', '%3', 'log')").arg(log, visit, at));
        for (int f = 0; f < 20; ++f)
            query.exec(QString("INSERT INTO fault_entries VALUES ('%1', %2, 12, 'text', 3, '')").arg(log).arg(f));
    }
    db.commit();
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", data.path().toUtf8());
    QApplication app(argc, argv);
    CServiceRecord& record = CServiceRecord::Instance();
    record.StartVisit();
    MeasureWrites();
    MeasureSnapshot();
    record.EndVisit();

    const qint64 before = QFileInfo(record.Path()).size() + QFileInfo(record.Path() + "-wal").size();
    Fill(record);
    QSqlQuery(record.Database()).exec("PRAGMA wal_checkpoint(TRUNCATE)");
    const qint64 after = QFileInfo(record.Path()).size();
    std::printf("record of %d visits (%d values, 10 writes, 20 faults each): %.1f MB, %.1f kB a visit\n", kVisits,
                kValues, after / 1e6, (after - before) / 1e3 / kVisits);

    QElapsedTimer timer;
    timer.start();
    CRecordWindow window;
    window.show();
    window.Refresh();
    QApplication::processEvents();
    std::printf("record window open with %d visits: %.0f ms\n", kVisits, Ms(timer));

    const QString program = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString(VELOR_RECORD_PROGRAM);
    QProcess changes;
    timer.restart();
    changes.start(program, {"changes", "--last"});
    changes.waitForFinished(60000);
    std::printf("velor-record changes --last: %.0f ms (exit %d, %lld bytes)\n", Ms(timer), changes.exitCode(),
                static_cast<long long>(changes.readAllStandardOutput().size()));
    return 0;
}
