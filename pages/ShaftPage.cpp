// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/ShaftPage.h"

#include "ui/DataExchange.h"
#include "ui/ListView.h"
#include "ui/MessageBox.h"
#include "ui/PageOperation.h"
#include "ui/TemplateLoader.h"
#include "link/Exchange.h"
#include "link/FrameBuffer.h"
#include "pages/StatusPage.h"
#include "record/RecordedWrite.h"

#include <QPushButton>
#include <QScopedValueRollback>
#include <QTreeWidget>

namespace {

constexpr int kTemplateId = 132;
constexpr int kListId = 1032;
constexpr int kLearnButtonId = 1002;
constexpr int kRefreshButtonId = 1008;

constexpr int kFloorCountParameter = 0x0B; // F11, the number of floors

enum ListColumn { FloorColumn, ValueColumn };

// Where the F11 value stands in the A5 reply and a shaft value in the A6 reply.
constexpr int kCountPos = 7;
constexpr int kValuePos = 7;

// F11 through A5, two attempts, taken only from a frame with a right checksum.
CExchange::Request FloorCountRequest()
{
    return {.build = [] { g_request.BuildByteArg(kControllerAddress, 'A', '5', kFloorCountParameter); },
            .waitMs = 50,
            .maxCount = 20,
            .test = Acceptance::ValidFrameLetters,
            .attempts = 2};
}

// A floor's learnt position: two attempts, taken on the reply's letters.
CExchange::Request FloorValueRequest(int floor)
{
    return {.build = [floor] { g_request.BuildByteArg(kControllerAddress, 'A', '6', floor); },
            .waitMs = 50,
            .maxCount = 80,
            .test = Acceptance::Letters,
            .attempts = 2};
}

// A switch or vane value: one attempt, any reply is taken.
CExchange::Request SwitchValueRequest(int item)
{
    CExchange::Request request = FloorValueRequest(item);
    request.waitMs = 100;
    request.test = Acceptance::Count;
    request.attempts = 1;
    return request;
}

CExchange::Request LearnRequest()
{
    return {.build = [] { g_request.BuildCommand(kControllerAddress, 'F', '4'); },
            .waitMs = 50,
            .maxCount = 20,
            .test = Acceptance::LettersAck,
            .ackPos = 5,
            .sendsOnce = true};
}

// An A6 reply carries its value as eight hex digits, lowest byte first; the
// value is signed.
QString ShaftValueText()
{
    return QString::number(static_cast<int>(ParseHex8(g_reply.Data() + kValuePos)));
}

} // namespace

const CShaftPage::SwitchField CShaftPage::kSwitchFields[] = {
    {0x30, 1001, &CShaftPage::m_vaneSum},
    {0x31, 1003, &CShaftPage::m_upSlowDouble},
    {0x32, 1007, &CShaftPage::m_upSlowSingle},
    {0x33, 1009, &CShaftPage::m_downSlowDouble},
    {0x34, 1010, &CShaftPage::m_downSlowSingle},
};

CShaftPage::CShaftPage(QWidget* parent)
    : CPage(kTemplateId, parent)
    , m_list(Control<QTreeWidget>(this, kListId))
{
    InsertColumn(m_list, FloorColumn, "楼层", 40, Qt::AlignCenter);
    InsertColumn(m_list, ValueColumn, "井道数据", 130, Qt::AlignCenter);
    connect(Control<QPushButton>(this, kLearnButtonId), &QPushButton::clicked, this,
            &CShaftPage::OnLearnButton);
    connect(Control<QPushButton>(this, kRefreshButtonId), &QPushButton::clicked, this,
            &CShaftPage::OnRefreshButton);
}

void CShaftPage::DoDataExchange(CDataExchange& dx)
{
    for (const SwitchField& field : kSwitchFields)
        dx.Text(field.controlId, this->*field.member);
}

// Every focus reads everything again. A focus that comes while a read runs or
// while its failure message is open is not a new request and is ignored.
void CShaftPage::OnSetFocus()
{
    CPage::OnSetFocus();
    if (m_reading)
        return;
    const QScopedValueRollback reading(m_reading, true);
    int done = 0;
    int total = 0;
    const ReadResult result = ReadShaftData(done, total);
    if (done > 0)
        CServiceRecord::Instance().AddShaftData("lift", RecordText());
    if (result == ReadResult::Failed)
        VelorMessageBox("通讯失败，请刷新!");
    else if (result == ReadResult::Stopped)
        VelorMessageBox(StoppedReadMessage("读取井道数据", done, total, false));
}

// Reads the floor count, then every floor's position into its row as it
// arrives, then the five switch values (a value that gets no reply keeps the
// old one). A count or floor that fails twice ends the read: rows read so far
// stay, the switch values are left as they were. An accepted reply too short
// to carry its value, and a count above what the one-byte floor request can
// address, fail too; a read the technician stopped is no failure: done of the
// total values were read. The port is released before the caller shows a
// message.
CShaftPage::ReadResult CShaftPage::ReadShaftData(int& done, int& total)
{
    CPageOperation operation(this, "读取井道数据", 0);
    const auto failedOrStopped = [&] { return operation.Cancelled() ? ReadResult::Stopped : ReadResult::Failed; };
    if (!CExchange::Run(FloorCountRequest()) || !g_reply.Carries(kCountPos, 4))
        return failedOrStopped();
    const int floors = ParseHex4(g_reply.Data() + kCountPos);
    DeleteAllRows(m_list);
    if (floors > CStatusPage::kMostFloors)
        return ReadResult::Failed;

    const int switches = static_cast<int>(std::size(kSwitchFields));
    total = floors + switches;
    operation.SetTotal(total);
    for (int floor = 1; floor <= floors; done = floor++) {
        operation.SetDone(done);
        if (!CExchange::Run(FloorValueRequest(floor)) || !g_reply.Carries(kValuePos, 8))
            return failedOrStopped();
        const int row = InsertRow(m_list, floor - 1, QString::number(floor), floor);
        SetRowText(m_list, row, ValueColumn, ShaftValueText());
    }
    for (int i = 0; i < switches; ++i, ++done) {
        if (operation.Cancelled()) {
            UpdateData(false);
            return ReadResult::Stopped;
        }
        operation.SetDone(done);
        const SwitchField& field = kSwitchFields[i];
        if (CExchange::Run(SwitchValueRequest(field.item)) && g_reply.Carries(kValuePos, 8))
            this->*field.member = ShaftValueText();
    }
    UpdateData(false);
    return ReadResult::Complete;
}

// No read follows: the technician refreshes the page once the run is over.
// Self-learning moves the car through the shaft: the technician confirms
// first that it may run.
void CShaftPage::OnLearnButton()
{
    if (!AskFirst("井道自学习将使电梯在井道内自行运行。\n请确认井道内无人、电梯可以运行。确定要开始自学习吗？"))
        return;
    CRecordedWrite recorded("lift", "self-learning");
    const bool sent = CExchange::Run(LearnRequest());
    recorded.Done(sent);
    if (sent)
        VelorMessageBox("井道自学习发出，若电梯启动，则正在进行自学习");
}

// The page as shown, one "name<TAB>value" line per floor and switch, for the
// service record.
QString CShaftPage::RecordText() const
{
    static const char* const kSwitchNames[] = {"平层插板长度平层开关间距之和", "双层上强慢开关位置", "单层上强慢开关位置",
                                               "双层下强慢开关位置", "单层下强慢开关位置"};
    static_assert(std::size(kSwitchNames) == std::size(kSwitchFields));
    QStringList lines;
    for (int row = 0; row < RowCount(m_list); ++row)
        lines << QString("楼层 %1\t%2").arg(RowText(m_list, row, FloorColumn), RowText(m_list, row, ValueColumn));
    for (std::size_t i = 0; i < std::size(kSwitchFields); ++i)
        lines << QString("%1\t%2").arg(kSwitchNames[i], this->*kSwitchFields[i].member);
    return lines.join('\n');
}

void CShaftPage::OnRefreshButton()
{
    DeleteAllRows(m_list);
    GiveFocus();
}
