// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

class CSimClock;

// The main board's fault log: a fixed number of records, newest first. A
// record with code 0 is empty.
class CSimFaultLog
{
public:
    struct Record
    {
        int code = 0;
        int floor = 0;
        std::string stamp; // YYMMDDhhmm
    };

    explicit CSimFaultLog(int capacity);

    int Capacity() const { return static_cast<int>(m_records.size()); }
    // An empty record for an index outside the log.
    Record At(int index) const;
    // Puts a fault in front; the oldest record drops out.
    void Add(int code, int floor, const CSimClock& clock);
    void Clear();

private:
    std::vector<Record> m_records;
};
