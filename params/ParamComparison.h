// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "params/ParamFile.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class CParamSet;

// One record of a parameter file whose value is not the one the page read
// from the controller (or whose parameter was not read).
struct ParamDifference
{
    int record;                         // index of the record in the file, from 0
    int number;                         // parameter number
    std::optional<int> controllerValue; // none: the parameter was not read
    int fileValue;
};

// A parameter file set against the parameters a page read: which records are
// equal, which differ, which number a parameter the page does not have, and
// what in the file calls for the technician's attention before anything is
// written.
class CParamComparison
{
public:
    CParamComparison(const ParamFileContents& file, const CParamSet& set);

    int FileRecords() const { return m_fileRecords; }
    // The file has as many records as the page has parameters. One that has
    // not is another page's or another generation's: a record count alone
    // cannot tell which parameter each of its records was meant for.
    bool FitsPage() const { return m_fitsPage; }
    // How many of the file's records writing it whole sends: in file order,
    // as far as the page's list reaches.
    int WholeFileCount() const { return m_wholeFileCount; }
    int Equal() const { return m_equal; }
    int Beyond() const { return static_cast<int>(m_beyond.size()); }
    // The differing records in file order.
    const std::vector<ParamDifference>& Differences() const { return m_differences; }

    // "文件 173 条记录：相同 170，不同 3，超出本页列表 0"
    QString Summary() const;
    // Each finding in words a technician understands; empty for a file that
    // fits the page.
    QStringList Warnings() const { return m_warnings; }

private:
    void AddWarnings(const ParamFileContents& file, const CParamSet& set);

    int m_fileRecords = 0;
    bool m_fitsPage = false;
    int m_wholeFileCount = 0;
    int m_equal = 0;
    std::vector<int> m_beyond;      // numbers the page's list does not have, in file order
    std::vector<int> m_beyondSent;  // those of them that writing the whole file sends
    std::vector<int> m_unread; // numbers the list has but could not read
    std::vector<ParamDifference> m_differences;
    QStringList m_warnings;
};
