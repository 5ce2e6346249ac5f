// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/VisitData.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <map>

namespace {

// Runs sql with the visit bound to every '?'; false with the error.
bool Select(QSqlQuery& query, const QString& sql, const QString& visit, QString& error)
{
    if (!query.prepare(sql)) {
        error = query.lastError().text();
        return false;
    }
    for (int i = 0; i < sql.count('?'); ++i)
        query.addBindValue(visit);
    if (!query.exec()) {
        error = query.lastError().text();
        return false;
    }
    return true;
}

QString Text(const QSqlQuery& query, int column) { return query.value(column).toString(); }

bool LoadIdentity(const QSqlDatabase& db, VisitData& data, QString& error)
{
    QSqlQuery query(db);
    if (!Select(query, "SELECT at, phone, run_count, clock FROM identities WHERE visit = ? ORDER BY at", data.visit, error))
        return false;
    while (query.next()) {
        data.identityRead = true;
        if (!Text(query, 1).isEmpty())
            data.phone = Text(query, 1);
        if (!query.value(2).isNull()) {
            if (!data.runCountStart)
                data.runCountStart = query.value(2).toLongLong();
            data.runCountEnd = query.value(2).toLongLong();
        }
        if (!Text(query, 3).isEmpty()) {
            data.controllerClock = Text(query, 3);
            data.laptopClock = Text(query, 0);
        }
    }
    return true;
}

bool LoadWrites(const QSqlDatabase& db, VisitData& data, QString& error)
{
    QSqlQuery query(db);
    if (!Select(query, "SELECT at, board, what, parameter, old_value, new_value, outcome FROM record_writes "
                       "WHERE visit = ? ORDER BY at",
                data.visit, error))
        return false;
    while (query.next()) {
        VisitData::Write write{Text(query, 0), Text(query, 1), Text(query, 2), {}, Text(query, 4), Text(query, 5),
                               Text(query, 6)};
        if (!query.value(3).isNull())
            write.parameter = query.value(3).toInt();
        data.faultLogCleared |= write.what == "fault-log-reset" && write.outcome == "acknowledged";
        data.writes.push_back(write);
    }
    return true;
}

bool SnapshotValues(const QSqlDatabase& db, const QString& snapshot, std::map<int, int>& values, QString& error)
{
    QSqlQuery query(db);
    if (!Select(query, "SELECT parameter, value FROM record_parameters WHERE snapshot = ?", snapshot, error))
        return false;
    while (query.next())
        values[query.value(0).toInt()] = query.value(1).toInt();
    return true;
}

// The net effect per board: the first snapshot against the last, for the
// parameters both of them hold.
bool LoadBoards(const QSqlDatabase& db, VisitData& data, QString& error)
{
    QSqlQuery query(db);
    // The controller's parameter count where the snapshot kept it (173: the
    // long set); older snapshots are told by their highest number.
    if (!Select(query, "SELECT board, snapshot, max(parameter), "
                       "(SELECT COALESCE(s.parameters, 0) FROM snapshots s WHERE s.id = snapshot) "
                       "FROM record_parameters WHERE visit = ? GROUP BY snapshot ORDER BY board DESC, min(taken)",
                data.visit, error))
        return false;
    std::map<QString, std::vector<QString>> snapshots;
    while (query.next()) {
        if (!snapshots.count(Text(query, 0))) {
            data.boards.push_back({Text(query, 0), 0, false, {}});
        }
        snapshots[Text(query, 0)].push_back(Text(query, 1));
        const int parameters = query.value(3).toInt();
        data.boards.back().longSet |= parameters == 173 || (parameters == 0 && query.value(2).toInt() > 113);
    }
    for (VisitData::Board& board : data.boards) {
        const std::vector<QString>& ids = snapshots[board.board];
        board.snapshots = static_cast<int>(ids.size());
        std::map<int, int> first, last;
        if (!SnapshotValues(db, ids.front(), first, error) || !SnapshotValues(db, ids.back(), last, error))
            return false;
        for (const auto& [parameter, value] : first)
            if (last.count(parameter) && last[parameter] != value)
                board.changes.push_back({parameter, QString::number(value), QString::number(last[parameter])});
    }
    return true;
}

bool LoadFaults(const QSqlDatabase& db, VisitData& data, QString& error)
{
    QSqlQuery logs(db);
    if (!Select(logs, "SELECT taken, id FROM fault_logs WHERE visit = ? AND kind = 'log' ORDER BY taken DESC LIMIT 1",
                data.visit, error))
        return false;
    QString lastLog;
    if (logs.next()) {
        data.faultLogRead = true;
        data.faultLogTaken = Text(logs, 0);
        lastLog = Text(logs, 1);
    }
    QSqlQuery query(db);
    // The view does not tell a log read from a report sent, nor two of them taken at one instant apart.
    if (!Select(query, "SELECT l.kind, l.taken, f.position, f.code, f.text, f.floor, f.time, l.id FROM fault_logs l "
                       "JOIN fault_entries f ON f.log = l.id WHERE l.visit = ? ORDER BY l.taken, f.position",
                data.visit, error))
        return false;
    while (query.next()) {
        const VisitData::Fault fault{Text(query, 1), query.value(2).toInt(), query.value(3).toInt(),
                                     query.value(5).toInt(), Text(query, 4), Text(query, 6)};
        if (Text(query, 0) == "report")
            data.faultReports.push_back(fault);
        else if (Text(query, 7) == lastLog)
            data.faultLog.push_back(fault);
    }
    return true;
}

bool LoadShafts(const QSqlDatabase& db, VisitData& data, QString& error)
{
    QSqlQuery query(db);
    if (!Select(query, "SELECT taken, board, data FROM shaft_data WHERE visit = ? ORDER BY taken", data.visit, error))
        return false;
    while (query.next())
        data.shafts.push_back({Text(query, 0), Text(query, 1), Text(query, 2)});
    return true;
}

// Ride recordings are kept only by versions that have their table.
bool LoadRides(const QSqlDatabase& db, VisitData& data, QString& error)
{
    QSqlQuery table(db);
    if (!Select(table, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'ride_recordings'", {}, error))
        return false;
    if (!table.next())
        return true;
    QSqlQuery query(db);
    if (!Select(query, "SELECT taken, csv FROM ride_recordings WHERE visit = ? ORDER BY taken", data.visit, error))
        return false;
    while (query.next())
        data.rides.push_back({Text(query, 0), Text(query, 1)});
    return true;
}

} // namespace

bool LoadVisitData(const QSqlDatabase& db, const QString& visit, VisitData& data, QString& error)
{
    data = VisitData();
    data.visit = visit;
    QSqlQuery query(db);
    if (!Select(query, "SELECT started, ended, elevator_id, program_name FROM record_visits WHERE visit = ?", visit,
                error))
        return false;
    if (!query.next()) {
        error = QString("维护记录中没有这次维护：%1").arg(visit);
        return false;
    }
    data.started = Text(query, 0);
    data.ended = Text(query, 1);
    data.elevatorId = Text(query, 2);
    data.programName = Text(query, 3);
    return LoadIdentity(db, data, error) && LoadWrites(db, data, error) && LoadBoards(db, data, error)
           && LoadFaults(db, data, error) && LoadShafts(db, data, error) && LoadRides(db, data, error);
}

QString LastVisit(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    return query.exec("SELECT visit FROM record_visits ORDER BY started DESC LIMIT 1") && query.next()
               ? query.value(0).toString()
               : QString();
}
