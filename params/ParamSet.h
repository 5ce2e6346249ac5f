// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "params/ParamCatalogue.h"
#include "params/ParamFile.h"

#include <QString>

#include <map>
#include <optional>
#include <vector>

// The parameters a page has read from the controller: the value of each
// parameter number that answered, in the catalogue of the page's controller.
// The page's list shows it; saving, the import review and comparing read it.
class CParamSet
{
public:
    explicit CParamSet(CParamCatalogue catalogue);

    const CParamCatalogue& Catalogue() const { return m_catalogue; }
    // Forgets every value; a new catalogue when the controller's generation changed.
    void Clear(CParamCatalogue catalogue);

    void SetValue(int n, int value);
    std::optional<int> Value(int n) const;

    // How many parameters have a value, and how many the controller has.
    int ReadCount() const { return static_cast<int>(m_values.size()); }
    int Count() const { return m_catalogue.Count(); }
    bool IsEmpty() const { return m_values.empty(); }
    bool IsComplete() const { return ReadCount() == Count(); }

    // The largest value parameter n takes: 255 for a one-byte parameter.
    int MostValue(int n) const;
    QString Text(int n) const { return m_catalogue.Text(n); }

    // Every value read, in ascending parameter number: the records of a saved file.
    std::vector<ParamRecord> Records() const;

private:
    CParamCatalogue m_catalogue;
    std::map<int, int> m_values;
};
