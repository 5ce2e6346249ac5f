// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimFaultLog.h"

#include "sim/SimClock.h"

CSimFaultLog::CSimFaultLog(int capacity)
    : m_records(capacity)
{
}

CSimFaultLog::Record CSimFaultLog::At(int index) const
{
    return index >= 0 && index < Capacity() ? m_records[index] : Record{};
}

void CSimFaultLog::Add(int code, int floor, const CSimClock& clock)
{
    if (m_records.empty())
        return;
    m_records.pop_back();
    m_records.insert(m_records.begin(), Record{code, floor, clock.Text().substr(0, 10)});
}

void CSimFaultLog::Clear()
{
    for (Record& record : m_records)
        record = Record{};
}
