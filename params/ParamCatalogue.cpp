// SPDX-License-Identifier: GPL-3.0-or-later
#include "ParamCatalogue.h"

#include "res/StringTable.h"

namespace {

struct CatalogueLayout
{
    int count;
    int firstStringId;
    int firstOneByte; // first and last parameter held as one byte;
    int lastOneByte;  // an empty range when there is none
};

// Indexed by CParamCatalogue::Kind. The one-byte parameters are the floor
// display codes of floors 1 to 48.
constexpr CatalogueLayout kCatalogueLayouts[] = {
    {173, 1, 65, 112},
    {114, 355, 66, 113},
    {79, 600, 0, -1},
};

struct FaultTextRange
{
    int firstStringId; // string id of fault code 0
    int lastCode;
};

constexpr FaultTextRange kLongFaultTexts{300, 54};
constexpr FaultTextRange kShortFaultTexts{500, 44};

const CatalogueLayout& LayoutOf(CParamCatalogue::Kind kind)
{
    return kCatalogueLayouts[kind];
}

} // namespace

CParamCatalogue::CParamCatalogue(Kind kind)
    : m_kind(kind)
{
}

CParamCatalogue CParamCatalogue::ForMainBoard(bool longFormat)
{
    return CParamCatalogue(longFormat ? LongRecordMainBoard : ShortRecordMainBoard);
}

std::optional<CParamCatalogue> CParamCatalogue::ForCount(int count)
{
    for (const Kind kind : {LongRecordMainBoard, ShortRecordMainBoard, DoorMachine})
        if (LayoutOf(kind).count == count)
            return CParamCatalogue(kind);
    return std::nullopt;
}

int CParamCatalogue::Count() const
{
    return LayoutOf(m_kind).count;
}

bool CParamCatalogue::Contains(int n) const
{
    return n >= 0 && n < Count();
}

int CParamCatalogue::StringId(int n) const
{
    return LayoutOf(m_kind).firstStringId + n;
}

bool CParamCatalogue::IsOneByte(int n) const
{
    const CatalogueLayout& layout = LayoutOf(m_kind);
    return n >= layout.firstOneByte && n <= layout.lastOneByte;
}

QString CParamCatalogue::Text(int n) const
{
    return Contains(n) ? StringText(StringId(n)) : QString();
}

QString CParamCatalogue::FaultText(bool longFormat, int code)
{
    // The fault code is a whole byte, but only codes up to the last fault text
    // are looked up: beyond it the ids run into the parameter texts.
    const FaultTextRange& range = longFormat ? kLongFaultTexts : kShortFaultTexts;
    if (code < 1 || code > range.lastCode)
        return {};
    return StringText(range.firstStringId + code);
}
