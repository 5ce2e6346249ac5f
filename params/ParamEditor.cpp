// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/ParamEditor.h"

#include "pages/FloorDisplayTexts.h"

#include <QByteArray>

namespace {

constexpr int kLockoutParameter = 161;

struct EditorRange
{
    int first;
    int last;
    ParamEditor editor;
};

constexpr EditorRange kEditorRanges[] = {
    {kLockoutParameter, kLockoutParameter, ParamEditor::Lockout},
    {25, 31, ParamEditor::BitMask},
    {50, 55, ParamEditor::BitMask},
    {134, 139, ParamEditor::BitMask},
    {170, 172, ParamEditor::BitMask},
    {145, 151, ParamEditor::TelephoneNote},
    {65, 113, ParamEditor::DisplayCode},
};

QString MaskBits(int value)
{
    QString bits = QString("%1").arg(value, 16, 2, QChar('0'));
    for (int pos = 12; pos > 0; pos -= 4)
        bits.insert(pos, ' ');
    return bits;
}

} // namespace

ParamEditor EditorOf(CParamCatalogue::Kind kind, int n)
{
    if (kind == CParamCatalogue::DoorMachine)
        return ParamEditor::Value;
    for (const EditorRange& range : kEditorRanges)
        if (n >= range.first && n <= range.last)
            return range.editor;
    return ParamEditor::Value;
}

QString ReadableParamValue(const CParamCatalogue& catalogue, int n, int value)
{
    if (EditorOf(catalogue.GetKind(), n) == ParamEditor::BitMask)
        return MaskBits(value);
    if (catalogue.IsOneByte(n) && value >= kFirstDisplayCode)
        return DisplayCodeName(value).trimmed();
    return {};
}

QByteArray MaskDigits(int value)
{
    return QString("%1%2").arg(value & 0xFF, 2, 16, QChar('0')).arg(value >> 8 & 0xFF, 2, 16, QChar('0')).toUpper().toLatin1();
}

int MaskValue(const char* digits)
{
    const QString mask = QString::fromLatin1(digits, 4);
    return mask.mid(2, 2).toInt(nullptr, 16) << 8 | mask.left(2).toInt(nullptr, 16);
}
