#include "params/FaultRecord.h"

#include "link/FrameBuffer.h"

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

int TimeLength(const RecordLayout& layout)
{
    int length = 0;
    for (const char* p = layout.timePattern; *p; ++p)
        length += *p == '#';
    return length;
}

int ReplyHex(int pos, int digits)
{
    const char* text = g_reply.Data() + pos;
    return digits == 1 ? ParseHex1(text) : ParseHex2(text);
}

QString FormatTime(const char* stamp, const char* pattern)
{
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
    if (!g_reply.Carries(layout.timePos, TimeLength(layout)))
        return false;
    record.number = ReplyHex(layout.numberPos, layout.numberDigits);
    record.code = ReplyHex(layout.codePos, 2);
    record.floor = layout.floorPos < 0 ? QString() : QString::number(ReplyHex(layout.floorPos, 2));
    record.time = FormatTime(g_reply.Data() + layout.timePos, layout.timePattern);
    return true;
}
