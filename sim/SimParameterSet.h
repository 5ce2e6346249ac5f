// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "params/ParamCatalogue.h"

#include <vector>

// The F-parameters of one board with their factory values. One-byte parameters
// (the floor display codes) keep only the low byte of what is written.
class CSimParameterSet
{
public:
    // floors: the floor count the factory values are made for (parameter F11
    // of a main board).
    CSimParameterSet(CParamCatalogue::Kind kind, int floors);

    int Count() const { return static_cast<int>(m_values.size()); }
    bool Contains(int n) const { return n >= 0 && n < Count(); }
    bool IsOneByte(int n) const { return m_catalogue.IsOneByte(n); }
    int Value(int n) const;
    void Write(int n, int value16);
    void Reset() { m_values = m_defaults; }

    // The 16-bit value a read of n carries. The one-byte parameters lie packed
    // in the board's memory, so a read of one of them carries the next
    // parameter's byte as its high byte (0 after the last one).
    int ReplyValue(int n) const;

    // The parameter that holds the display code of floor 1 to 48; -1 when the
    // set has none.
    int DisplayCodeParameter(int floor) const;

private:
    CParamCatalogue m_catalogue;
    std::vector<int> m_defaults;
    std::vector<int> m_values;
};
