// SPDX-License-Identifier: GPL-3.0-or-later
// The shaft page's read as a focus runs it: the floor count (A5 0B), each
// floor's learnt position (A6 nn) and the five switch and vane values (A6
// 30..34), the controller answering with the input's replies. The list has no
// more rows than the count reply gives floors, a row or a value only from a
// reply that carries it in full, and the read writes nothing to the controller.
//
// Input: the replies in request order, separated by NUL bytes.

#include "ui/DataExchange.h"
#include "ui/ListView.h"
#include "ui/TemplateLoader.h"
#include "link/FrameBuffer.h"
#include "pages/ShaftPage.h"
#include "tests/fuzz/FuzzHarness.h"
#include "tests/fuzz/FuzzLine.h"

#include <QTreeWidget>

#include <string>

namespace {

constexpr int kListId = 1032;
constexpr int kValuePos = 7;
constexpr int kValueDigits = 8;

struct SwitchField
{
    int item;
    int controlId;
};
constexpr SwitchField kSwitchFields[] = {{0x30, 1001}, {0x31, 1003}, {0x32, 1007}, {0x33, 1009}, {0x34, 1010}};

bool IsNumber(const QString& text)
{
    bool ok = false;
    text.toInt(&ok, 10);
    return ok;
}

using Exchanges = std::vector<CFuzzLine::Exchange>;

// The A6 reply read last for item `item` among exchanges [begin, end), which
// must carry the value shown.
void RequireCarried(const Exchanges& exchanges, size_t begin, size_t end, int item, const QString& shown)
{
    const CFrameBuffer reply = AsRead(LastReplyTo(exchanges, RequestStart(std::string("A6") + HexByte(item)), begin, end));
    Require(reply.Carries(kValuePos, kValueDigits),
            "a shaft value from a reply that does not carry it: " + std::string(reply.Data()));
    Require(IsNumber(shown), "a shaft value that is no number: " + shown.toStdString());
}

std::string Snapshot(const CShaftPage& page, const Exchanges& exchanges)
{
    for (const CFuzzLine::Exchange& exchange : exchanges)
        Require(exchange.request.starts_with(RequestStart("A5")) || exchange.request.starts_with(RequestStart("A6")),
                "the read wrote to the controller: " + exchange.request);
    const QTreeWidget* list = Control<QTreeWidget>(&page, kListId);
    const int rows = RowCount(list);
    std::string shown = std::to_string(rows) + ":";
    const CFrameBuffer count = AsRead(LastReplyTo(exchanges, RequestStart("A50B")));
    const int floors = count.Carries(kValuePos, 4) ? ParseHex4(count.Data() + kValuePos) : 0;
    Require(rows <= floors, "more rows than the count reply gives floors");
    // Only a read of every floor goes on to the five switch values, one
    // request each (their items are also the numbers of floors 48 to 52).
    const bool complete = rows == floors && exchanges.size() >= 1 + size_t(rows) + std::size(kSwitchFields);
    const size_t floorsEnd = complete ? exchanges.size() - std::size(kSwitchFields) : exchanges.size();
    for (int row = 0; row < rows; ++row) {
        Require(RowText(list, row, 0) == QString::number(row + 1), "rows out of floor order");
        RequireCarried(exchanges, 0, floorsEnd, row + 1, RowText(list, row, 1));
        shown += RowText(list, row, 1).toStdString() + ",";
    }
    for (const SwitchField& field : kSwitchFields) {
        const QString text = ControlText(Control<QWidget>(&page, field.controlId));
        Require(text.isEmpty() || complete, "a switch value from a read that failed");
        if (!text.isEmpty())
            RequireCarried(exchanges, floorsEnd, exchanges.size(), field.item, text);
        shown += "|" + text.toStdString();
    }
    return shown;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    PlayReplies(data, size, [](const CFuzzLine& line) {
        CShaftPage page;
        page.OnSetFocus();
        return Snapshot(page, line.Exchanges());
    });
    return 0;
}
