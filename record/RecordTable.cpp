// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/RecordTable.h"

const std::vector<RecordTable>& RecordTables()
{
    // Parents before the events that refer to them.
    static const std::vector<RecordTable> tables = {
        {"visits", "id", "id", {}, {}, false},
        {"visit_ends", "id", "visit", {}, {}, false},
        {"identities", "id", "visit", {}, {}, true},
        {"lift_assignments", "id", "visit", {}, {}, true},
        {"snapshots", "id", "visit", {}, {{"snapshot_values", "snapshot"}}, false},
        {"write_intents", "id", "visit", {}, {}, false},
        {"write_outcomes", "id", "intent", "write_intents", {}, false},
        {"fault_logs", "id", "visit", {}, {{"fault_entries", "log"}}, false},
        {"shaft_data", "id", "visit", {}, {}, false},
        {"ride_recordings", "id", "visit", {}, {}, false},
    };
    return tables;
}

const RecordTable* FindRecordTable(const QString& name)
{
    for (const RecordTable& table : RecordTables())
        if (table.name == name)
            return &table;
    return nullptr;
}
