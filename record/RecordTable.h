// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <vector>

// One event table of the service record as the company's server sees it:
// rows keyed by a UUID, never changed once written, each tied to a visit,
// with child rows (a snapshot's values, a fault log's entries) that travel
// with their parent. RecordTables() lists them all; the server's schema, the
// push and the pull are driven from that one list, so a new event table is one
// line there.
struct RecordTable
{
    struct Child
    {
        QString name;
        QString parent; // the column holding the parent row's key
    };

    QString name;
    QString key;   // the UUID column
    QString visit; // the column naming the row's visit
    // When set, `visit` holds the key of a row of this table instead, whose
    // own visit is the row's (a write's outcome belongs to its intent's visit).
    QString through;
    std::vector<Child> children;
    bool namesLift = false; // the table has an elevator_id column that names the visit's lift
};

const std::vector<RecordTable>& RecordTables();
const RecordTable* FindRecordTable(const QString& name);
