// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>
#include <vector>

// What the service record holds of one visit, as the report shows it. Read
// from the record's views and, where they have nothing, from its tables.
struct VisitData
{
    struct Write
    {
        QString at, board, what;
        std::optional<int> parameter;
        QString oldValue, newValue;
        QString outcome; // acknowledged, refused, unconfirmed or unknown
    };
    // A parameter whose value differs between the first and the last snapshot.
    struct Change
    {
        int parameter = 0;
        QString oldValue, newValue; // "-" where a snapshot lacks the parameter
    };
    struct Board
    {
        QString board;        // "lift" or "door"
        int snapshots = 0;    // how many were taken in the visit
        bool longSet = false; // the main board's long parameter set
        std::vector<Change> changes;
    };
    struct Fault
    {
        QString taken;
        int position = 0, code = 0, floor = 0;
        QString text, time;
    };
    struct Shaft
    {
        QString taken, board, data;
    };
    struct Ride
    {
        QString taken, csv;
    };

    QString visit, started, ended;
    QString elevatorId, programName, phone;
    bool identityRead = false;            // the general page was read in the visit
    QString controllerClock, laptopClock; // the controller's clock and the laptop's when it was read
    std::optional<long long> runCountStart, runCountEnd;
    std::vector<Write> writes;
    std::vector<Board> boards;
    bool faultLogRead = false, faultLogCleared = false;
    QString faultLogTaken;
    std::vector<Fault> faultLog, faultReports;
    std::vector<Shaft> shafts;
    std::vector<Ride> rides;
};

// Reads the visit; false with the reason when there is no such visit or the
// record cannot be read.
bool LoadVisitData(const QSqlDatabase& db, const QString& visit, VisitData& data, QString& error);
// The visit that started last; empty when the record has none.
QString LastVisit(const QSqlDatabase& db);
