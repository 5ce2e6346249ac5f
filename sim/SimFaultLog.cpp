#include "sim/SimFaultLog.h"

#include "params/ParamCatalogue.h"
#include "sim/SimClock.h"

namespace {

constexpr int kHighestFaultCode = 99;

} // namespace

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

std::vector<int> CSimFaultLog::KnownCodes(bool longRecord)
{
    std::vector<int> codes;
    for (int code = 1; code <= kHighestFaultCode; ++code)
        if (!CParamCatalogue::FaultText(longRecord, code).trimmed().isEmpty())
            codes.push_back(code);
    return codes;
}
