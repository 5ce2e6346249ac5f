// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter pages' read as a focus with an empty list runs it: the
// elevator parameter page's generation probe (A1 00) and its reads (A5 nn,
// two tries each), or the door machine page's reads (one try each, a garbled
// reply leaves its parameter out), the controller answering with the input's
// replies. Each row comes from a valid A5 reply that carries its whole value,
// holds a value its parameter can have, and the list never outgrows the
// parameter set; the read writes nothing to the controller.
//
// Input: the first byte's lowest bit chooses the page (1 elevator, 0 door
// machine), the rest are the replies in request order, separated by NUL bytes.

#include "ui/ListView.h"
#include "link/FrameBuffer.h"
#include "params/DoorParamPage.h"
#include "params/LiftParamPage.h"
#include "params/ParamCatalogue.h"
#include "tests/fuzz/FuzzHarness.h"
#include "tests/fuzz/FuzzLine.h"

#include <QTreeWidget>

#include <memory>
#include <string>

namespace {

constexpr int kValueColumn = 1;

std::string Snapshot(const CParamListPage& page, const CParamCatalogue& catalogue, const CFuzzLine& line)
{
    for (const CFuzzLine::Exchange& exchange : line.Exchanges())
        Require(exchange.request.starts_with(RequestStart("A5")) || exchange.request == line.Exchanges()[0].request,
                "the read wrote to the controller: " + exchange.request);
    const QTreeWidget* list = page.List();
    const int rows = RowCount(list);
    Require(rows <= catalogue.Count(), "more rows than parameters");
    std::string shown = std::to_string(rows) + ":";
    int previous = -1;
    for (int row = 0; row < rows; ++row) {
        const int n = RowItemData(list, row);
        Require(n > previous && catalogue.Contains(n), "rows out of parameter order");
        previous = n;
        const CFrameBuffer reply = AsRead(LastReplyTo(line.Exchanges(), RequestStart(std::string("A5") + HexByte(n))));
        Require(reply.IsValidFrame() && reply.Letter1() == 'A' && reply.Letter2() == '5'
                    && reply.Carries(CParamListPage::kValuePos, catalogue.IsOneByte(n) ? CParamListPage::kOneByteDigits
                                                                                       : CParamListPage::kValueDigits),
                "a row from a reply that does not carry its value: " + std::string(reply.Data()));
        bool number = false;
        const int value = RowText(list, row, kValueColumn).toInt(&number, 10);
        Require(number && value >= 0 && value <= (catalogue.IsOneByte(n) ? 0xFF : 0xFFFF),
                "a value its parameter cannot have: " + RowText(list, row, kValueColumn).toStdString());
        for (int column = 0; column < 3; ++column)
            shown += RowText(list, row, column).toStdString() + ",";
    }
    return shown;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const bool lift = data[0] & 1;
    PlayReplies(data + 1, size - 1, [lift](const CFuzzLine& line) {
        if (lift) {
            CLiftParamPage page;
            page.OnSetFocus();
            const std::vector<CFuzzLine::Exchange>& exchanges = line.Exchanges();
            Require(!exchanges.empty() && exchanges[0].request.starts_with(RequestStart("A100")),
                    "no generation probe first");
            Require(!exchanges[0].reply.empty() || RowCount(page.List()) == 0,
                    "rows without an answer to the generation probe");
            return Snapshot(page, CParamCatalogue::ForMainBoard(page.IsLongFormat()), line);
        }
        CDoorParamPage page;
        page.OnSetFocus();
        return Snapshot(page, CParamCatalogue(CParamCatalogue::DoorMachine), line);
    });
    return 0;
}
