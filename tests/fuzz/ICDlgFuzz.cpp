// SPDX-License-Identifier: GPL-3.0-or-later
// The IC card dialog's "确定": the typed card number, then the FD write and
// its acknowledgement, the controller answering with the input's replies. A
// number outside 0..65535 is refused before anything is sent; otherwise the
// card goes out as typed, and "修改成功" stands only for a valid FD frame that
// carries the acknowledgement, "修改失败，请再按确定!" for anything else.
//
// Input: the typed text (UTF-8) up to the first NUL byte, then the replies in
// request order, separated by NUL bytes.

#include "ui/DataExchange.h"
#include "ui/MessageBox.h"
#include "ui/TemplateLoader.h"
#include "dialogs/ICDlg.h"
#include "link/FrameBuffer.h"
#include "tests/fuzz/FuzzHarness.h"
#include "tests/fuzz/FuzzLine.h"

#include <QAbstractButton>
#include <QStringList>

#include <cstring>
#include <string>

namespace {

constexpr int kCardNoId = 1001;
constexpr int kSendId = 1061;
constexpr int kAckPos = 5;

QStringList g_boxes;

bool IsAcknowledgement(const std::string& bytes)
{
    const CFrameBuffer reply = AsRead(bytes);
    return reply.IsValidFrame() && reply.Letter1() == 'F' && reply.Letter2() == 'D' && reply.Carries(kAckPos, 1)
        && reply.Data()[kAckPos] == 'F';
}

std::string Check(const QString& typed, const std::vector<CFuzzLine::Exchange>& exchanges)
{
    Require(g_boxes.size() == 1, "boxes shown: " + g_boxes.join('|').toStdString());
    bool number = false;
    const long long card = typed.trimmed().toLongLong(&number, 10);
    // The edit takes a number of at most 18 digits.
    constexpr int kMostTypedChars = 18;
    if (exchanges.empty()) {
        Require(!number || card < 0 || card > 0xFFFF || typed.trimmed().size() > kMostTypedChars,
                "a card in range was not sent: " + typed.toStdString());
        Require(g_boxes[0].startsWith("Please enter"), "a refused card without the range prompt");
        return "refused";
    }
    Require(number && card >= 0 && card <= 0xFFFF, "a card out of range was sent: " + typed.toStdString());
    CFrameBuffer expected;
    expected.BuildWordCharArg(kControllerAddress, 'F', 'D', static_cast<int>(card), 'F');
    for (const CFuzzLine::Exchange& exchange : exchanges)
        Require(exchange.request == expected.Data(), "another card was sent: " + exchange.request);
    Require(exchanges.size() <= 2, "more than two tries");
    const bool acknowledged = IsAcknowledgement(exchanges.back().reply);
    Require(g_boxes[0] == (acknowledged ? "修改成功" : "修改失败，请再按确定!"),
            "reported " + g_boxes[0].toStdString() + " for the reply " + exchanges.back().reply);
    return g_boxes[0].toStdString() + std::to_string(exchanges.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartFuzzApplication();
    static const bool recording = [] {
        SetMessageBoxHandler([](const MessageBoxCall& call) {
            g_boxes << call.text;
            return IDOK;
        });
        return true;
    }();
    (void)recording;
    const size_t typedLength = strnlen(reinterpret_cast<const char*>(data), size);
    const QString typed = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(typedLength));
    const size_t replies = std::min(size, typedLength + 1);
    PlayReplies(data + replies, size - replies, [&](const CFuzzLine& line) {
        g_boxes.clear();
        CICDlg dialog;
        dialog.show();
        QWidget* cardNo = Control<QWidget>(&dialog, kCardNoId);
        SetControlText(cardNo, typed);
        Control<QAbstractButton>(&dialog, kSendId)->click();
        return Check(ControlText(cardNo), line.Exchanges());
    });
    return 0;
}
