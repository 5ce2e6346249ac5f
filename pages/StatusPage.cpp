// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/StatusPage.h"

#include "ui/DataExchange.h"
#include "ui/ListView.h"
#include "ui/TemplateLoader.h"
#include "link/Exchange.h"
#include "link/FloorCount.h"
#include "link/FrameBuffer.h"
#include "ui/ArrowStatic.h"
#include "ui/CellList.h"
#include "pages/CarState.h"
#include "pages/RideLog.h"
#include "ui/LampStatic.h"
#include "settings/PortSetupDlg.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

#include <algorithm>
#include <array>
#include <cstdint>

namespace {

// Controls of the page.
constexpr int kLampId = 1036;
constexpr int kRunId = 1046;
constexpr int kStatusId = 1041;
constexpr int kSpeedId = 1042;
constexpr int kGroupId = 1048;
constexpr int kSafetyId = 1047;
constexpr int kDoorLockId = 1044;
constexpr int kArrowId = 1049;
constexpr int kLoadId = 1045;
constexpr int kFloorId = 1057;
constexpr int kDoorId = 1043;
constexpr int kFloorListId = 1032;
constexpr int kPortSetupId = 1060;

// Columns of the floor list.
enum FloorColumn { FloorNumberColumn, CarCallColumn, UpCallColumn, DownCallColumn };

// Lamp states (sheet row y, column).
constexpr int kRedRow = 0;
constexpr int kGreenRow = 16;
constexpr int kLit = 0;
constexpr int kGrey = 2;

// Requests of the poll, chosen by the poll phase after it advanced.
constexpr char kPollLetters[3] = {'0', '3', '8'};

// One block of the call reply: six bytes, one bit a floor.
struct CallBlock
{
    int firstPos;
    int column;
    const char* mark;
};
const CallBlock kCallBlocks[] = {
    {5, CarCallColumn, "√"},
    {17, UpCallColumn, "↑"},
    {29, DownCallColumn, "↓"},
};

bool Bit(int value, int n)
{
    return (value >> n) & 1;
}

bool ReplyCarries(int pos, int count)
{
    return g_reply.Carries(pos, count);
}

int ReplyByte(int pos)
{
    return ParseHex2(g_reply.Data() + pos);
}

QString DoorText(int s2)
{
    if (Bit(s2, 4))
        return "开门";
    if (Bit(s2, 5))
        return "关门";
    return {};
}

QString LoadText(int s2)
{
    if (Bit(s2, 3))
        return "超载";
    if (Bit(s2, 2))
        return "满载";
    return {};
}

// Call type of a click on a column of the floor list (its index, wherever it
// has been dragged to), or 0 for no column: the floor number and the car call
// column register a car call, the hall call columns their direction.
char CallTypeOfColumn(int column)
{
    switch (column) {
    case FloorNumberColumn:
    case CarCallColumn: return '0';
    case UpCallColumn: return '1';
    case DownCallColumn: return '2';
    default: return 0;
    }
}

} // namespace

CStatusPage::CStatusPage(QWidget* parent)
    : CPollingPage(130, parent)
    , m_bigFont(QStringLiteral("Times New Roman"))
    , m_list(Control<CCellList>(this, kFloorListId))
    , m_lamp(Control<CLampStatic>(this, kLampId))
    , m_arrow(Control<CArrowStatic>(this, kArrowId))
{
    // A 25-pixel character cell of the roman face.
    m_bigFont.setStyleHint(QFont::Serif);
    m_bigFont.setPixelSize(22);
    SetUpFloorList();
    UpdateData(false);
    std::vector<QWidget*> live{m_lamp, m_arrow, m_list};
    for (int id : {kRunId, kStatusId, kSpeedId, kGroupId, kSafetyId, kDoorLockId, kLoadId, kFloorId, kDoorId})
        live.push_back(Control<QLabel>(this, id));
    SetLiveControls(std::move(live));
    connect(m_list, &QAbstractItemView::clicked, this, &CStatusPage::OnFloorListClicked);
    connect(Control<QPushButton>(this, kPortSetupId), &QPushButton::clicked, this,
            &CStatusPage::OnPortSetup);
}

void CStatusPage::DoDataExchange(CDataExchange& dx)
{
    dx.Text(kStatusId, m_status);
    dx.Text(kSpeedId, m_speed);
    dx.Text(kDoorId, m_door);
    dx.Text(kLoadId, m_load);
    dx.Text(kDoorLockId, m_doorLock);
    dx.Text(kRunId, m_run);
    dx.Text(kSafetyId, m_safety);
    dx.Text(kGroupId, m_group);
    dx.Text(kFloorId, m_floor);
}

void CStatusPage::SetUpFloorList()
{
    SetupReportView(m_list);
    m_list->header()->setSectionsMovable(true);
    m_list->SetGridLines(true);
    InsertColumn(m_list, FloorNumberColumn, "楼层", 38, Qt::AlignHCenter);
    InsertColumn(m_list, CarCallColumn, "指令", 38, Qt::AlignHCenter);
    InsertColumn(m_list, UpCallColumn, "上召↑", 52, Qt::AlignHCenter);
    InsertColumn(m_list, DownCallColumn, "下召↓", 52, Qt::AlignHCenter);
}

void CStatusPage::OnPoll()
{
    if (m_floorCount == 0) {
        ReadFloorCount();
        return;
    }
    SendNextPoll();
    m_lamp->SetLamp(kRedRow, kGrey, 0);  // a request is outstanding
}

void CStatusPage::SendNextPoll()
{
    m_pollPhase = (m_pollPhase + 1) % 3;
    const char letter = kPollLetters[m_pollPhase];
    CExchange::Send([letter] { g_request.BuildCommand(kControllerAddress, 'A', letter); });
}

void CStatusPage::ReadFloorCount()
{
    const std::optional<int> count = CFloorCount::Read();
    if (!count)
        return;
    m_floorCount = *count;
    FillFloorList();
}

// One row per floor, the top floor first; a row's item data is its floor.
void CStatusPage::FillFloorList()
{
    DeleteAllRows(m_list);
    for (int row = 0; row < m_floorCount; ++row) {
        const int floor = m_floorCount - row;
        InsertRow(m_list, row, QString::number(floor), floor);
    }
}

void CStatusPage::OnReplyReady()
{
    KillTimer1();
    if (g_reply.Letter1() == 'A') {
        switch (g_reply.Letter2()) {
        case '0': DecodeState(); break;
        case '3': DecodeCalls(); break;
        case '8': DecodeSpeed(); break;
        default: break;
        }
    }
    SetTimer1(kPollPeriodMs);
}

// A0: floor display code and the two state bytes.
void CStatusPage::DecodeState()
{
    if (!ReplyCarries(5, 6))
        return;
    const CarState state{ReplyByte(5), ReplyByte(7), ReplyByte(9)};
    g_rideLog.AddState(state);

    for (int id : {kFloorId, kStatusId, kRunId})
        Control<QLabel>(this, id)->setFont(m_bigFont);
    m_floor = state.FloorText();
    UpdateData(false);

    m_status = state.ModeText();
    m_arrow->SetFrame(static_cast<unsigned char>(state.s1 & 7));
    m_door = DoorText(state.s2);
    m_doorLock = state.DoorLocked() ? "门锁闭合" : "门锁开启";
    m_load = LoadText(state.s2);
    const bool running = state.Running();
    m_run = running ? "运行" : "故障";
    m_lamp->SetLamp(running ? kGreenRow : kRedRow, kLit, 0);
    m_safety = state.Safety() ? "安全回路" : "";
    m_group = state.Group() ? "群控" : "单梯";
    UpdateData(false);
}

// A3: car, up and down calls of floors 1 to 48, one bit a floor.
void CStatusPage::DecodeCalls()
{
    if (ReplyCarries(5, 2 * RideSample::kCallBytes)) {
        std::array<std::uint8_t, RideSample::kCallBytes> bytes{};
        for (int k = 0; k < RideSample::kCallBytes; ++k)
            bytes[k] = static_cast<std::uint8_t>(ReplyByte(5 + 2 * k));
        g_rideLog.AddCalls(bytes);
    }
    const int markedFloors = std::min(m_floorCount, kMostCallFloors);
    for (const CallBlock& block : kCallBlocks) {
        const QString mark = QString::fromUtf8(block.mark);
        for (int i = 0; i < markedFloors; ++i) {
            const int pos = block.firstPos + 2 * (i / 8);
            if (!ReplyCarries(pos, 2))
                break;
            ShowCallMark(i, block.column, Bit(ReplyByte(pos), i % 8), mark);
        }
    }
}

// Writes the cell of floor index i only when its text changes, so a steady
// state redraws nothing.
void CStatusPage::ShowCallMark(int floorIndex, int column, bool called, const QString& mark)
{
    const int row = m_floorCount - 1 - floorIndex;
    const QString text = called ? mark : QString();
    if (RowText(m_list, row, column) != text)
        SetRowText(m_list, row, column, text);
}

// A8: the car's speed in mm/s, signed, low byte first.
void CStatusPage::DecodeSpeed()
{
    if (!ReplyCarries(5, 4))
        return;
    const auto mmPerSecond = static_cast<std::int16_t>(ParseHex4(g_reply.Data() + 5));
    g_rideLog.AddSpeed(mmPerSecond);
    m_speed = QString::asprintf("速度: %.2fm/s", mmPerSecond * 0.001);
    UpdateData(false);
}

void CStatusPage::OnLineChanged(bool up)
{
    if (up)
        return;
    for (QString* text : {&m_status, &m_speed, &m_door, &m_load, &m_doorLock, &m_run, &m_safety, &m_group, &m_floor})
        text->clear();
    UpdateData(false);
    m_lamp->SetLamp(kRedRow, kGrey, 0);
    m_arrow->SetFrame(0);
    for (int row = 0; row < RowCount(m_list); ++row)
        for (const CallBlock& block : kCallBlocks)
            if (!RowText(m_list, row, block.column).isEmpty())
                SetRowText(m_list, row, block.column, {});
}

// Registers a call at the selected floor, of the type of the clicked column.
void CStatusPage::OnFloorListClicked()
{
    KillTimer1();
    const int row = SelectedRow(m_list);
    const char callType = CallTypeOfColumn(m_list->header()->logicalIndex(m_list->CurrentColumn()));
    if (row >= 0 && callType != 0) {
        const int floor = RowItemData(m_list, row);
        CExchange::Send([callType, floor] {
            g_request.BuildCharByteArg(kControllerAddress, 'F', '3', callType, floor);
        });
    }
    GiveFocus();
}

void CStatusPage::OnPortSetup()
{
    KillTimer1();
    CPortSetupDlg dialog(this);
    dialog.exec();
    SetTimer1(kPollPeriodMs);
}
