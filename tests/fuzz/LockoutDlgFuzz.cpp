// SPDX-License-Identifier: GPL-3.0-or-later
// The lockout dialog opened and confirmed: its floor count read (A5 0B) and
// each floor's segment read (AC nn) when it opens, then the segment writes
// (FC) of OK, the controller answering with the input's replies. The list has
// one row per floor the count reply gives, times only from a segment reply
// that carries all four bytes, and OK writes only floors that have such times.
//
// Input: the replies in request order, separated by NUL bytes.

#include "ui/ListView.h"
#include "ui/TemplateLoader.h"
#include "dialogs/LockoutDlg.h"
#include "link/FrameBuffer.h"
#include "tests/fuzz/FuzzHarness.h"
#include "tests/fuzz/FuzzLine.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTreeWidget>

#include <string>

namespace {

constexpr int kSegmentPos = 7;
constexpr int kSegmentDigits = 8;
constexpr int kCountPos = 7;
constexpr int kMostFloors = 255;

using Exchanges = std::vector<CFuzzLine::Exchange>;

// The floors whose last segment reply carries a whole segment.
QSet<int> FloorsWithSegments(const Exchanges& exchanges, int floors)
{
    QSet<int> carried;
    for (int floor = 1; floor <= floors; ++floor) {
        const CFrameBuffer reply = AsRead(LastReplyTo(exchanges, RequestStart(std::string("AC") + HexByte(floor))));
        if (reply.Letter1() == 'A' && reply.Letter2() == 'C' && reply.Carries(kSegmentPos, kSegmentDigits))
            carried.insert(floor);
    }
    return carried;
}

int FloorsOfCountReply(const Exchanges& exchanges)
{
    const CFrameBuffer count = AsRead(LastReplyTo(exchanges, RequestStart("A50B")));
    if (count.Letter1() != 'A' || count.Letter2() != '5' || !count.Carries(kCountPos, 4))
        return 0;
    const int floors = ParseHex4(count.Data() + kCountPos);
    return floors <= kMostFloors ? floors : 0;
}

std::string CheckOpened(const CLockoutDlg& dialog, const Exchanges& exchanges, QSet<int>& withTimes)
{
    static const QRegularExpression time("^[0-9]{2,3}:[0-9]{2,3}$");
    for (const CFuzzLine::Exchange& exchange : exchanges)
        Require(exchange.request.starts_with(RequestStart("A50B")) || exchange.request.starts_with(RequestStart("AC")),
                "opening wrote to the controller: " + exchange.request);
    const int floors = FloorsOfCountReply(exchanges);
    const QSet<int> carried = FloorsWithSegments(exchanges, floors);
    const int rows = RowCount(dialog.m_list);
    Require(rows == floors, "rows: " + std::to_string(rows) + " for " + std::to_string(floors) + " floors");
    std::string shown;
    for (int row = 0; row < rows; ++row) {
        const int floor = floors - row;
        Require(RowItemData(dialog.m_list, row) == floor, "rows out of floor order");
        const QString start = RowText(dialog.m_list, row, 1);
        const QString end = RowText(dialog.m_list, row, 2);
        Require(start.isEmpty() == end.isEmpty(), "a segment with one time");
        if (!start.isEmpty()) {
            Require(carried.contains(floor), "times from a reply that does not carry them, floor " + std::to_string(floor));
            Require(time.match(start).hasMatch() && time.match(end).hasMatch(), "times of the wrong form");
            withTimes.insert(floor);
        }
        shown += (start + "-" + end + ",").toStdString();
    }
    return shown;
}

void CheckWritten(const Exchanges& exchanges, const QSet<int>& withTimes)
{
    for (const CFuzzLine::Exchange& exchange : exchanges) {
        Require(exchange.request.starts_with(RequestStart("FC")), "OK sent another request: " + exchange.request);
        const int floor = ParseHex2(exchange.request.c_str() + 5);
        Require(withTimes.contains(floor), "OK wrote a floor without times: " + std::to_string(floor));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PlayReplies(data, size, [](const CFuzzLine& line) {
        CLockoutDlg dialog(true);
        dialog.show(); // reads the floors
        QSet<int> withTimes;
        const std::string shown = CheckOpened(dialog, line.Exchanges(), withTimes);
        const size_t opening = line.Exchanges().size();
        Control<QPushButton>(&dialog, 1)->click();
        CheckWritten(Exchanges(line.Exchanges().begin() + opening, line.Exchanges().end()), withTimes);
        return shown;
    });
    return 0;
}
