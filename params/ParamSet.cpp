// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/ParamSet.h"

CParamSet::CParamSet(CParamCatalogue catalogue)
    : m_catalogue(catalogue)
{
}

void CParamSet::Clear(CParamCatalogue catalogue)
{
    m_catalogue = catalogue;
    m_values.clear();
}

void CParamSet::SetValue(int n, int value)
{
    m_values[n] = value;
}

std::optional<int> CParamSet::Value(int n) const
{
    const auto it = m_values.find(n);
    if (it == m_values.end())
        return std::nullopt;
    return it->second;
}

int CParamSet::MostValue(int n) const
{
    return m_catalogue.IsOneByte(n) ? 0xFF : 0xFFFF;
}

std::vector<ParamRecord> CParamSet::Records() const
{
    std::vector<ParamRecord> records;
    records.reserve(m_values.size());
    for (const auto& [number, value] : m_values)
        records.push_back({number, value});
    return records;
}
