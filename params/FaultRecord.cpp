// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/FaultRecord.h"

#include "link/FrameBuffer.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// Where a fault record's fields stand in the A1 reply of one generation.
struct RecordLayout
{
    int recordCount;
    int numberPos;
    int numberDigits; // the record number's hex digits
    int codePos;      // two hex digits
    int floorPos;     // two hex digits; -1: the record has no floor
    int timePos;
    const char* timePattern; // '#' takes the next time stamp character
};

constexpr RecordLayout kLongRecord{20, 5, 2, 7, 9, 11, "##-##-## ##:##"};
constexpr RecordLayout kShortRecord{16, 5, 1, 6, -1, 8, "########"};

const RecordLayout& LayoutOf(bool longFormat)
{
    return longFormat ? kLongRecord : kShortRecord;
}

// The hex field at pos; nullopt when the reply does not carry it in full.
std::optional<int> ReplyHex(int pos, int digits)
{
    if (!g_reply.Carries(pos, digits))
        return std::nullopt;
    const char* text = g_reply.Data() + pos;
    return digits == 1 ? ParseHex1(text) : ParseHex2(text);
}

QString NumberText(std::optional<int> value)
{
    return value ? QString::number(*value) : QString();
}

// The time stamp at pos in the pattern's form; empty when the reply does not
// carry every character of it.
QString FormatTime(int pos, const char* pattern)
{
    const int length = static_cast<int>(std::count(pattern, pattern + strlen(pattern), '#'));
    if (!g_reply.Carries(pos, length))
        return {};
    const char* stamp = g_reply.Data() + pos;
    QString text;
    for (const char* p = pattern; *p; ++p)
        text += QLatin1Char(*p == '#' ? *stamp++ : *p);
    return text;
}

} // namespace

int FaultRecord::Count(bool longFormat)
{
    return LayoutOf(longFormat).recordCount;
}

bool FaultRecord::Read(bool longFormat, FaultRecord& record)
{
    const RecordLayout& layout = LayoutOf(longFormat);
    const std::optional<int> code = ReplyHex(layout.codePos, 2);
    if (!code)
        return false;
    record.code = *code;
    record.number = NumberText(ReplyHex(layout.numberPos, layout.numberDigits));
    record.floor = layout.floorPos < 0 ? QString() : NumberText(ReplyHex(layout.floorPos, 2));
    record.time = FormatTime(layout.timePos, layout.timePattern);
    return true;
}
