// SPDX-License-Identifier: GPL-3.0-or-later
// What the company's record server costs at scale: fills a server of its own
// with a fraction of 1,000,000 visits' events (100 visits per lift, as 10,000
// lifts would have; each visit a visit, its end, an identity, a snapshot of
// 200 parameters, 4 writes with their outcomes and a fault log of 10 entries),
// then measures one lift's history fetch into a fresh laptop, a sync of one new
// visit from that laptop, and the server's size per visit. Not part of the tests.
//
//   velor_record_server_bench [FRACTION]      (default 0.02: 20,000 visits)

#include "record/RecordServer.h"
#include "record/RecordSync.h"
#include "record/ServiceRecord.h"
#include "tests/TempPostgres.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>

namespace {

constexpr int kVisitsPerLift = 100;
constexpr int kParameters = 200;

bool Exec(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    if (query.exec(sql))
        return true;
    std::fprintf(stderr, "%s\n%s\n", qPrintable(query.lastError().text()), qPrintable(sql));
    return false;
}

// Visits first..last, in one statement per table; ids derived from the visit number.
bool Fill(QSqlDatabase& db, long long first, long long last)
{
    const QString range = QString("generate_series(%1, %2) AS g").arg(first).arg(last);
    const QString visit = "md5('v' || g)::uuid::text";
    const QString at = "(timestamp '2020-01-01' + g * interval '1 hour')::text";
    const QStringList statements = {
        QString("INSERT INTO visits SELECT %1, %2 FROM %3").arg(visit, at, range),
        QString("INSERT INTO visit_ends SELECT md5('e' || g)::uuid::text, %1, %2 FROM %3").arg(visit, at, range),
        QString("INSERT INTO identities SELECT md5('i' || g)::uuid::text, %1, %2, 'L' || (g / %4), 'P1', '', g, '' FROM %3")
            .arg(visit, at, range).arg(kVisitsPerLift),
        QString("INSERT INTO snapshots SELECT md5('s' || g)::uuid::text, %1, %2, 'lift', 1 FROM %3").arg(visit, at, range),
        QString("INSERT INTO snapshot_values SELECT md5('s' || g)::uuid::text, p, p * 7 % 1000 FROM %1, "
                "generate_series(1, %2) AS p").arg(range).arg(kParameters),
        QString("INSERT INTO write_intents SELECT md5('w' || g || '-' || k)::uuid::text, %1, %2, 'lift', 'parameter', k, "
                "'1', '2' FROM %3, generate_series(1, 4) AS k").arg(visit, at, range),
        QString("INSERT INTO write_outcomes SELECT md5('o' || g || '-' || k)::uuid::text, "
                "md5('w' || g || '-' || k)::uuid::text, %1, 'acknowledged' FROM %2, generate_series(1, 4) AS k").arg(at, range),
        QString("INSERT INTO fault_logs SELECT md5('f' || g)::uuid::text, %1, %2, 'log' FROM %3").arg(visit, at, range),
        QString("INSERT INTO fault_entries SELECT md5('f' || g)::uuid::text, n, 30 + n, '故障', n, '12:00' FROM %1, "
                "generate_series(1, 10) AS n").arg(range),
    };
    for (const QString& statement : statements)
        if (!Exec(db, statement))
            return false;
    return true;
}

void NewVisit(const QString& path, const QString& lift)
{
    CServiceRecord record(path);
    record.StartVisit();
    record.SetIdentity({"P1", lift, "", std::nullopt, ""});
    std::vector<ParamRecord> values;
    for (int p = 1; p <= kParameters; ++p)
        values.push_back({p, p});
    record.AddSnapshot("lift", values, true, 173);
    for (int k = 1; k <= 4; ++k)
        record.AddWriteOutcome(record.AddWriteIntent("lift", "parameter", k, "1", "2"), CServiceRecord::Outcome::Acknowledged);
    record.AddFaults("log", {{1, 31, "故障", 1, "12:00"}});
    record.EndVisit();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const double fraction = argc > 1 ? std::atof(argv[1]) : 0.02;
    const long long visits = static_cast<long long>(1000000 * fraction);
    if (visits < kVisitsPerLift) {
        std::fprintf(stderr, "usage: velor_record_server_bench [FRACTION of 1,000,000 visits, at least 0.0001]\n");
        return 2;
    }
    CTempPostgres server;
    if (!server.Ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.Error()));
        return 1;
    }
    const QString owner = server.ConnInfo(CTempPostgres::kOwner);
    QString report;
    if (!CRecordServer::Setup(owner, report)) {
        std::fprintf(stderr, "%s\n", qPrintable(report));
        return 1;
    }
    CRecordServer::Failure failure;
    QSqlDatabase db = CRecordServer::Connect(owner, "bench", failure, report);
    QElapsedTimer clock;
    clock.start();
    const long long step = 10000;
    for (long long first = 0; first < visits; first += step)
        if (!Fill(db, first, std::min(visits, first + step) - 1))
            return 1;
    Exec(db, "CREATE ROLE tech01 LOGIN PASSWORD 'pw' IN ROLE velor_technician");
    Exec(db, "VACUUM ANALYZE");
    std::printf("filled %lld visits (%.4f of 1,000,000, %lld lifts of %d visits) in %.1f s\n", visits, fraction,
                visits / kVisitsPerLift, kVisitsPerLift, clock.elapsed() / 1000.0);
    QSqlQuery size(db);
    size.exec("SELECT pg_database_size(current_database())");
    size.next();
    std::printf("server size %.1f MB, %.0f bytes per visit\n", size.value(0).toDouble() / 1e6,
                size.value(0).toDouble() / visits);
    size.exec("SELECT relname, pg_total_relation_size(relid) FROM pg_stat_user_tables ORDER BY 2 DESC LIMIT 4");
    while (size.next())
        std::printf("  %s: %.0f bytes per visit with its indexes\n", qPrintable(size.value(0).toString()),
                    size.value(1).toDouble() / visits);

    const QString technician = server.ConnInfo("tech01", "pw");
    QTemporaryDir laptop;
    const QString path = laptop.filePath("record.sqlite");
    CServiceRecord(path).Open();
    const QString lift = QString("L%1").arg(visits / kVisitsPerLift / 2);
    for (int run = 0; run < 3; ++run) {
        QFile::remove(path);
        CServiceRecord(path).Open();
        clock.restart();
        const CRecordSync::Result history = CRecordSync(path, technician).History(lift);
        std::printf("history of %s into a fresh laptop: %lld ms (%s)\n", qPrintable(lift), clock.elapsed(), qPrintable(history.text));
        NewVisit(path, lift);
        clock.restart();
        const CRecordSync::Result sync = CRecordSync(path, technician).Sync();
        std::printf("sync of one new visit: %lld ms (%s)\n", clock.elapsed(), qPrintable(sync.text));
    }
    db = QSqlDatabase();
    CRecordServer::Disconnect("bench");
    return 0;
}
