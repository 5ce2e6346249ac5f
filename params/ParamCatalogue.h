// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// Describes one set of F-parameters: how many there are, where their texts sit
// in the string table and which of them the controller keeps as one-byte values.
class CParamCatalogue
{
public:
    enum Kind
    {
        LongRecordMainBoard,  // main board of the long-record controller, F0 to F172
        ShortRecordMainBoard, // main board of the short-record controller, F0 to F113
        DoorMachine           // door machine, F0 to F78
    };

    explicit CParamCatalogue(Kind kind);

    // The main board catalogue of the generation found by the record-0 probe.
    static CParamCatalogue ForMainBoard(bool longFormat);
    // The catalogue with count parameters (173, 114 or 79): what a file's
    // record count names; none for any other count.
    static std::optional<CParamCatalogue> ForCount(int count);

    Kind GetKind() const { return m_kind; }
    int Count() const;
    bool Contains(int n) const;
    int StringId(int n) const;
    bool IsOneByte(int n) const;
    // Description text of parameter n; empty for a number outside the catalogue.
    QString Text(int n) const;

    // Explanation of a fault code of the given controller generation; empty for
    // a code without text, including codes beyond the generation's fault texts.
    static QString FaultText(bool longFormat, int code);

private:
    Kind m_kind;
};
