// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/GeneralPage.h"

#include "ui/DataExchange.h"
#include "ui/MessageBox.h"
#include "ui/TemplateLoader.h"
#include "ui/WaitCursor.h"
#include "dialogs/ClockDlg.h"
#include "link/BusyScope.h"
#include "link/ControllerText.h"
#include "link/Exchange.h"
#include "link/FrameBuffer.h"
#include "pages/ControllerTextValidator.h"

#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace {

constexpr int kTemplateId = 129;

// Controls of the page.
constexpr int kElevatorIdId = 1001;
constexpr int kSetIdButtonId = 1002;
constexpr int kPhoneId = 1003;
constexpr int kSetPhoneButtonId = 1004;
constexpr int kRunCountId = 1007;
constexpr int kResetButtonId = 1008;
constexpr int kProgramNameId = 1009;
constexpr int kSetClockButtonId = 1011;
constexpr int kClockId = 1053;
constexpr int kRefreshButtonId = 1056;

// What the edits take and the controller keeps.
constexpr int kLongestId = 9;
constexpr int kLongestPhone = 13;
constexpr int kLongestProgramName = 16;

// A reply holds STX, address, two letters, the data, two checksum digits and
// ETX: the data starts at 5 and is length - 8 characters long.
constexpr int kDataPos = 5;
constexpr int kFrameOverhead = 8;

// The frame's data characters, at most `most` of them: what the same read
// brought after its ETX (a fault report, noise) is no part of the item.
int DataCount(const CFrameBuffer& reply, int most)
{
    return std::min(reply.FrameLength() - kFrameOverhead, most);
}

// The item reads of the focus sequence, in order: two attempts each; program
// name and run count only from a frame with a right checksum and their own
// letters, ID and telephone number from any reply.
struct ReadItem
{
    char letter2;
    int maxCount;
    Acceptance test;
};
constexpr ReadItem kReadItems[] = {
    {'B', 25, Acceptance::ValidFrameLetters},
    {'2', 19, Acceptance::Count},
    {'7', 30, Acceptance::Count},
    {'A', 17, Acceptance::ValidFrameLetters},
};

CExchange::Request ItemRequest(const ReadItem& item)
{
    return {.build = [letter2 = item.letter2] { g_request.BuildCommand(kControllerAddress, 'A', letter2); },
            .waitMs = 50,
            .maxCount = item.maxCount,
            .test = item.test,
            .attempts = 2};
}

// One clock read: the focus read shows whatever comes back, the clock
// setting wants a whole A9 frame with a right checksum, since the dialog's
// OK writes the values it opens with back into the controller.
CExchange::Request ClockRequest(Acceptance test)
{
    return {.build = [] { g_request.BuildCommand(kControllerAddress, 'A', '9'); },
            .waitMs = 50,
            .maxCount = 30,
            .test = test};
}

// Text requests (F1, F2, F9) carry their text as it stands.
std::function<void()> TextRequest(char letter2, QByteArray text)
{
    return [letter2, text] { g_request.BuildTextArg(kControllerAddress, 'F', letter2, text.constData()); };
}

// The text of an ID or telephone number as the controller takes it: GBK, at
// most maxBytes, ended by CR.
QByteArray ControllerEntry(const QString& text, int maxBytes)
{
    return EncodeControllerText(text, maxBytes) + '\r';
}

// Program name and telephone number: the first `most` data characters, GBK.
template<int most>
std::optional<QString> DecodeText(const CFrameBuffer& reply)
{
    if (!reply.Carries(kDataPos, 1))
        return {};
    return DecodeControllerText(reply.Data() + kDataPos, DataCount(reply, most));
}

// Elevator ID: the first 9 data characters at most, leading CRs skipped, cut
// at the next CR. (Only data characters: an ID shorter than nine without CR
// must not take the checksum and end byte along.)
std::optional<QString> DecodeElevatorId(const CFrameBuffer& reply)
{
    if (!reply.Carries(kDataPos, 1))
        return {};
    const char* begin = reply.Data() + kDataPos;
    const char* end = begin + DataCount(reply, kLongestId);
    while (begin < end && *begin == '\r')
        ++begin;
    return DecodeControllerText(begin, static_cast<int>(std::find(begin, end, '\r') - begin));
}

// Run count: a 16-bit number as four hex digits, low byte first, in decimal.
std::optional<QString> DecodeRunCount(const CFrameBuffer& reply)
{
    if (!reply.Carries(kDataPos, 4))
        return {};
    return QString::number(ParseHex4(reply.Data() + kDataPos));
}

// Clock: twelve decimal digits YYMMDDhhmmss shown as "YY-MM-DD hh:mm:ss".
std::optional<QString> DecodeClock(const CFrameBuffer& reply)
{
    if (!reply.Carries(kDataPos, 12))
        return {};
    const char* d = reply.Data() + kDataPos;
    return QString::asprintf("%c%c-%c%c-%c%c %c%c:%c%c:%c%c", d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7], d[8],
                             d[9], d[10], d[11]);
}

// The number in a two-character pair: its leading decimal digits, 0 without any.
unsigned DecimalPair(const char* pair)
{
    unsigned value = 0;
    for (int i = 0; i < 2 && pair[i] >= '0' && pair[i] <= '9'; ++i)
        value = value * 10 + (pair[i] - '0');
    return value;
}

// The controller's clock as twelve digits YYMMDDhhmmss; invalid for digits
// that name no date and time.
QDateTime ClockTime(const QByteArray& digits)
{
    return QDateTime::fromString("20" + QString::fromLatin1(digits), "yyyyMMddHHmmss");
}

// Whether a clock set to `sent` shows as `shown` ("YY-MM-DD hh:mm:ss") after
// it ran on for elapsedSeconds: within two seconds of the time it must show
// now. A time that names no date is only taken when it shows as sent.
bool ClockTook(const QByteArray& sent, qint64 elapsedSeconds, const QString& shown)
{
    const QByteArray shownDigits = shown.toLatin1().replace('-', "").replace(' ', "").replace(':', "");
    const QDateTime set = ClockTime(sent);
    const QDateTime now = ClockTime(shownDigits);
    if (!set.isValid() || !now.isValid())
        return shownDigits == sent;
    constexpr qint64 kSlackSeconds = 2;
    return std::abs(set.addSecs(elapsedSeconds).secsTo(now)) <= kSlackSeconds;
}

} // namespace

const CGeneralPage::ItemDecoder CGeneralPage::kDecoders[] = {
    {'B', &CGeneralPage::m_programName, kProgramNameId, DecodeText<kLongestProgramName>},
    {'2', &CGeneralPage::m_elevatorId, kElevatorIdId, DecodeElevatorId},
    {'7', &CGeneralPage::m_phone, kPhoneId, DecodeText<kLongestPhone>},
    {'A', &CGeneralPage::m_runCount, kRunCountId, DecodeRunCount},
    {'9', &CGeneralPage::m_clockText, kClockId, DecodeClock},
};

CGeneralPage::CGeneralPage(QWidget* parent) : CPage(kTemplateId, parent)
{
    const auto onClick = [this](int id, void (CGeneralPage::*handler)()) {
        connect(Control<QPushButton>(this, id), &QPushButton::clicked, this, handler);
    };
    onClick(kSetIdButtonId, &CGeneralPage::OnSetIdButton);
    onClick(kSetPhoneButtonId, &CGeneralPage::OnSetPhoneButton);
    onClick(kResetButtonId, &CGeneralPage::OnResetRunCountButton);
    onClick(kSetClockButtonId, &CGeneralPage::OnSetClockButton);
    onClick(kRefreshButtonId, &CGeneralPage::GiveFocus);
    Control<QLineEdit>(this, kElevatorIdId)->setValidator(new CControllerTextValidator(kLongestId, this));
    UpdateData(false);
}

void CGeneralPage::DoDataExchange(CDataExchange& dx)
{
    dx.Text(kElevatorIdId, m_elevatorId, kLongestId);
    dx.Text(kPhoneId, m_phone, kLongestPhone);
    dx.Text(kProgramNameId, m_programName);
    dx.Text(kRunCountId, m_runCount);
    dx.Text(kClockId, m_clockText);
}

// Every focus reads everything again and then starts the clock's poll. A focus
// that comes while a read runs or while its failure message is open is not a
// new request and is ignored.
void CGeneralPage::OnSetFocus()
{
    CPage::OnSetFocus();
    if (m_reading)
        return;
    const QScopedValueRollback reading(m_reading, true);
    KillTimer1(); // the clock ticks again only after a successful read
    if (ReadIdentity()) {
        KeepIdentity();
        ReportWritesThatDidNotTake();
        SetTimer1(kClockPeriodMs);
    } else {
        ForgetWritesSent();
        VelorMessageBox("通讯失败,请刷新!");
    }
}

// What a whole read found is the visit's lift in the service record.
void CGeneralPage::KeepIdentity()
{
    bool counted = false;
    const long long runCount = m_runCount.toLongLong(&counted);
    m_identity = {m_programName, m_elevatorId, m_phone, counted ? std::optional(runCount) : std::nullopt, m_clockText};
    CServiceRecord::Instance().SetIdentity(m_identity);
}

void CGeneralPage::SettleUnchecked(std::optional<CRecordedWrite>& write)
{
    if (write)
        write->Done(false);
    write.reset();
}

void CGeneralPage::ForgetWritesSent()
{
    for (std::optional<CRecordedWrite>* write : {&m_idWrite, &m_runCountWrite, &m_clockWrite})
        SettleUnchecked(*write);
    m_idSent.reset();
    m_runCountReset = false;
    m_clockSent.reset();
}

void CGeneralPage::ReportWritesThatDidNotTake()
{
    QStringList failed;
    const auto check = [&failed](std::optional<CRecordedWrite>& write, bool sent, bool took, const char* text) {
        if (sent && !took)
            failed << text;
        if (write)
            write->Done(took ? CServiceRecord::Outcome::Acknowledged : CServiceRecord::Outcome::Refused);
        write.reset();
    };
    check(m_idWrite, m_idSent.has_value(), m_idSent && *m_idSent == m_elevatorId, "电梯ID未生效");
    check(m_runCountWrite, m_runCountReset, m_runCountReset && m_runCount == "0", "运行次数复位未生效");
    check(m_clockWrite, m_clockSent.has_value(),
          m_clockSent && ClockTook(*m_clockSent, m_sinceClockSent.elapsed() / 1000, m_clockText), "时钟设置未生效");
    m_idSent.reset();
    m_runCountReset = false;
    m_clockSent.reset();
    if (!failed.isEmpty())
        VelorMessageBox(failed.join('\n'));
}

void CGeneralPage::OnKillFocus()
{
    CPage::OnKillFocus();
    KillTimer1();
}

// Program name, ID, telephone number and run count, each shown as it
// arrives; an item that fails twice ends the read, the items before it keep
// their new values and the later ones their old. Then one clock read, shown
// if it came. The wait cursor goes and the port is released before the caller
// shows a message or starts the clock's poll.
bool CGeneralPage::ReadIdentity()
{
    const CBusyScope busy;
    const CWaitCursor wait;
    for (const ReadItem& item : kReadItems) {
        if (!CExchange::Run(ItemRequest(item)))
            return false;
        OnReplyReady();
    }
    CExchange::Run(ClockRequest(Acceptance::None));
    OnReplyReady();
    return true;
}

// Shows the reply in g_reply by its letters in its own control only, so that
// the clock's poll never overwrites what the technician is typing into the ID
// or telephone number; other replies are ignored.
void CGeneralPage::OnReplyReady()
{
    if (g_reply.Letter1() != 'A')
        return;
    for (const ItemDecoder& item : kDecoders) {
        if (item.letter2 != g_reply.Letter2())
            continue;
        const std::optional<QString> text = item.decode(g_reply);
        if (!text)
            return;
        this->*item.member = *text;
        CDataExchange dx(this, false);
        dx.Text(item.controlId, this->*item.member);
        return;
    }
}

// The reply comes back through the port's owner like any unasked frame.
void CGeneralPage::OnTimer1()
{
    CExchange::Send([] { g_request.BuildCommand(kControllerAddress, 'A', '9'); });
}

void CGeneralPage::ReadEditableControls()
{
    CDataExchange dx(this, true);
    dx.Text(kElevatorIdId, m_elevatorId, kLongestId);
    dx.Text(kPhoneId, m_phone, kLongestPhone);
}

// Sent without waiting for an answer; the read that follows shows the result
// and says so when the controller kept another ID.
void CGeneralPage::OnSetIdButton()
{
    ReadEditableControls();
    const QByteArray id = EncodeControllerText(m_elevatorId, kLongestId);
    m_idSent = DecodeControllerText(id.constData(), static_cast<int>(id.size()));
    SettleUnchecked(m_idWrite);
    m_idWrite.emplace("lift", "elevator-id", std::nullopt, m_identity.elevatorId, *m_idSent);
    CExchange::Send(TextRequest('1', id + '\r'));
    GiveFocus();
}

// The clock's poll stops first: a tick's A9 reply arriving late would be
// read as the answer to F2.
void CGeneralPage::OnSetPhoneButton()
{
    KillTimer1();
    ReadEditableControls();
    CRecordedWrite recorded("lift", "phone", std::nullopt, m_identity.phone, m_phone);
    const bool changed = CExchange::Run({.build = TextRequest('2', ControllerEntry(m_phone, kLongestPhone)),
                                         .waitMs = 500,
                                         .maxCount = 30,
                                         .test = Acceptance::LettersAck,
                                         .ackPos = 5});
    recorded.Done(changed);
    VelorMessageBox(changed ? "电话号码修改成功" : "电话号码修改失败");
    GiveFocus();
}

void CGeneralPage::OnResetRunCountButton()
{
    if (!AskFirst("复位将把控制器的运行次数清零。\n确定要复位吗？"))
        return;
    SettleUnchecked(m_runCountWrite);
    m_runCountWrite.emplace("lift", "run-count-reset", std::nullopt, m_runCount, "0");
    CExchange::Send([] { g_request.BuildCharArg(kControllerAddress, 'F', 'R', '1'); });
    m_runCountReset = true;
    GiveFocus();
}

// Reads the controller's clock into the clock dialog and sends back what the
// technician confirms. Without a full, undamaged clock reply of this read no
// dialog opens.
void CGeneralPage::OnSetClockButton()
{
    KillTimer1();
    SettleUnchecked(m_clockWrite);
    if (CExchange::Run(ClockRequest(Acceptance::ValidFrameLetters)) && g_reply.Carries(kDataPos, 12)) {
        const char* d = g_reply.Data() + kDataPos;
        CClockDlg dialog;
        dialog.m_nYear = DecimalPair(d);
        dialog.m_nMonth = DecimalPair(d + 2);
        dialog.m_nDay = DecimalPair(d + 4);
        dialog.m_nHour = DecimalPair(d + 6);
        dialog.m_nMinute = DecimalPair(d + 8);
        dialog.m_nSecond = DecimalPair(d + 10);
        if (dialog.exec() == QDialog::Accepted) {
            // The laptop's time is the time the request is built, just before it goes out.
            const QString asRead = QString::fromLatin1(d, 12);
            CExchange::Run({.build = [this, &dialog, asRead] {
                                dialog.TakeLaptopTime();
                                m_clockSent = dialog.Digits();
                                if (!m_clockWrite)
                                    m_clockWrite.emplace("lift", "clock", std::nullopt, asRead,
                                                         QString::fromLatin1(*m_clockSent));
                                TextRequest('9', *m_clockSent)();
                            },
                            .waitMs = 50,
                            .maxCount = 30,
                            .test = Acceptance::None});
            m_sinceClockSent.start();
        }
    }
    GiveFocus();
}
