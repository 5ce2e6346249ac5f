#include "pages/StatusPage.h"

#include "app/ListView.h"
#include "app/TemplateLoader.h"
#include "link/BusyScope.h"
#include "pages/ArrowStatic.h"
#include "pages/CellList.h"
#include "pages/LampStatic.h"
#include "settings/PortSetupDlg.h"
#include "sim/SimReply.h"
#include "tests/LivePageRig.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

namespace {

constexpr int kFloorId = 1057;
constexpr int kStatusId = 1041;
constexpr int kSpeedId = 1042;
constexpr int kDoorId = 1043;
constexpr int kDoorLockId = 1044;
constexpr int kLoadId = 1045;
constexpr int kRunId = 1046;
constexpr int kSafetyId = 1047;
constexpr int kGroupId = 1048;

std::string FloorCountReply(int floors)
{
    return CSimReply('A', '5').AddByte(0x0B).AddWord(floors).Frame();
}

std::string StateReply(int code, int s1, int s2)
{
    return CSimReply('A', '0').AddByte(code).AddByte(s1).AddByte(s2).Frame();
}

// Calls with the same six bytes in each of the three blocks.
std::string CallReply(const std::vector<int>& car, const std::vector<int>& up, const std::vector<int>& down)
{
    CSimReply reply('A', '3');
    for (const std::vector<int>* block : {&car, &up, &down})
        for (int byte : *block)
            reply.AddByte(byte);
    return reply.Frame();
}

std::string CallRequest(char type, int floor)
{
    CFrameBuffer frame;
    frame.BuildCharByteArg(255, 'F', '3', type, floor);
    return frame.Data();
}

class StatusPageTest : public LivePageRig
{
protected:
    CStatusPage* Page() const { return static_cast<CStatusPage*>(m_tab->Page(CStatusPage::kPageIndex)); }
    CCellList* List() const { return Control<CCellList>(Page(), 1032); }
    CLampStatic* Lamp() const { return Control<CLampStatic>(Page(), 1036); }
    CArrowStatic* Arrow() const { return Control<CArrowStatic>(Page(), 1049); }
    QString Text(int id) const { return Control<QLabel>(Page(), id)->text(); }
    QString Cell(int row, int column) const { return RowText(List(), row, column); }

    // Starts the pages against a controller of `floors` floors and waits until
    // the page has read the count; from then on the controller stays silent so
    // that the test alone hands replies to the page.
    void StartWithFloors(int floors)
    {
        m_sim = std::make_unique<CSimController>(CSimOptions{.floors = floors});
        StartPages();
        WaitForFloorCount(floors);
    }
    void WaitForFloorCount(int floors)
    {
        RunUntilRequests(1);
        Run(50);
        ASSERT_EQ(Page()->FloorCount(), floors);
        m_script = [](const std::string&) { return std::string(); };
    }

    void Deliver(const std::string& frame)
    {
        g_reply.SetText(frame.c_str());
        Page()->OnReplyReady();
    }

    void ClickCell(int row, int column)
    {
        const QRect cell = List()->visualRect(List()->model()->index(row, column));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, cell.center());
    }
};

} // namespace

// The request stream: the count first (a blocking A5 of F11), then A3, A8, A0
// in turn, the lamp greyed by each poll and lit by the state reply.
TEST_F(StatusPageTest, FirstTickReadsTheFloorCountThenPollsCallsSpeedAndStateInTurn)
{
    g_statusPollPhase = 0;
    StartPages();
    RunUntilRequests(8);

    const std::vector<std::string> letters = RequestLetters();
    ASSERT_GE(letters.size(), 8u);
    const std::vector<std::string> expected{"A5", "A3", "A8", "A0", "A3", "A8", "A0", "A3"};
    EXPECT_EQ(std::vector<std::string>(letters.begin(), letters.begin() + 8), expected);
    CFrameBuffer countRequest;
    countRequest.BuildByteArg(255, 'A', '5', 0x0B);
    EXPECT_EQ(Requests()[0], countRequest.Data());
    EXPECT_EQ(Requests()[1], Command('A', '3'));

    ASSERT_EQ(RowCount(List()), 16);
    EXPECT_EQ(Cell(0, 0), "16");
    EXPECT_EQ(RowItemData(List(), 0), 16);
    EXPECT_EQ(Cell(15, 0), "1");
    EXPECT_EQ(RowItemData(List(), 15), 1);

    // The simulated car stands at floor 1, door closed, in automatic service.
    EXPECT_EQ(Text(kFloorId), "1");
    EXPECT_EQ(Text(kStatusId), "自动");
    EXPECT_EQ(Text(kDoorLockId), "门锁闭合");
    EXPECT_EQ(Text(kRunId), "运行");
    EXPECT_EQ(Text(kSpeedId), "速度: 0.00m/s");
    EXPECT_EQ(Text(kGroupId), "单梯");
}

TEST_F(StatusPageTest, PollRotationContinuesFromTheSharedPhase)
{
    g_statusPollPhase = 2;
    StartPages();
    RunUntilRequests(4);
    const std::vector<std::string> letters = RequestLetters();
    ASSERT_GE(letters.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(letters.begin(), letters.begin() + 4),
              (std::vector<std::string>{"A5", "A0", "A3", "A8"}));
}

TEST_F(StatusPageTest, TextsStartEmptyAndTheLampTurnsGreyOnEveryPoll)
{
    StartPages();
    for (int id : {kFloorId, kStatusId, kSpeedId, kDoorId, kDoorLockId, kLoadId, kRunId, kSafetyId, kGroupId})
        EXPECT_EQ(Text(id), "") << id;
    WaitForFloorCount(16);
    const int draws = Lamp()->DrawCount();
    Run(250);
    EXPECT_GE(Lamp()->DrawCount(), draws + 1);
    EXPECT_EQ(Lamp()->GetColumn(), 2) << "grey while the request is outstanding";
    EXPECT_EQ(Lamp()->GetTop(), 0);
}

// A zero count is read again on the next tick; a count no installation has
// (a garbled reply) is not turned into rows and is read again too.
TEST_F(StatusPageTest, ZeroAndImplausibleFloorCountsAreReadAgain)
{
    std::vector<int> counts{0, 300, 50};
    m_script = [&counts](const std::string& request) -> std::optional<std::string> {
        if (request.compare(3, 2, "A5") != 0 || counts.empty())
            return std::nullopt;
        const int floors = counts.front();
        counts.erase(counts.begin());
        return FloorCountReply(floors);
    };
    g_statusPollPhase = 0;
    StartPages();
    RunUntilRequests(4);

    const std::vector<std::string> letters = RequestLetters();
    ASSERT_GE(letters.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(letters.begin(), letters.begin() + 4),
              (std::vector<std::string>{"A5", "A5", "A5", "A3"}));
    EXPECT_EQ(Page()->FloorCount(), 50);
    EXPECT_EQ(RowCount(List()), 50);
}

TEST_F(StatusPageTest, NoTickActsWhileAnExchangeHoldsThePort)
{
    StartWithFloors(16);
    {
        CBusyScope busy;
        ClearRequests();
        Run(350);
        EXPECT_TRUE(Requests().empty());
    }
    RunUntilRequests(1);
    EXPECT_FALSE(Requests().empty());
}

// Neither live page sends while the other is shown, even when its timer is
// still running.
TEST_F(StatusPageTest, LivePagesSendNothingWhileAnotherPageIsShown)
{
    StartWithFloors(16);
    CPage* ioPage = m_tab->Page(3);

    m_tab->SelectTab(3);
    Page()->SetTimer1(100);
    DrainLine();
    ClearRequests();
    Run(350);
    for (const std::string& letters : RequestLetters())
        EXPECT_EQ(letters, "A4");
    EXPECT_FALSE(Requests().empty());

    m_tab->SelectTab(0);
    ioPage->SetTimer1(100);
    DrainLine();
    ClearRequests();
    Run(350);
    for (const std::string& letters : RequestLetters())
        EXPECT_NE(letters, "A4");
    EXPECT_FALSE(Requests().empty());
}

TEST_F(StatusPageTest, FloorIndicatorShowsTheDisplayCodeTexts)
{
    StartWithFloors(16);
    const std::pair<int, QString> cases[] = {
        {255, ""}, {249, ""}, {0, " "}, {49, " "}, {59, " "}, {1, "1"},  {48, "48"},   {50, "-1"},
        {68, "B9"}, {69, "B"}, {99, "出口"}, {119, "49"}, {171, "L3"}, {172, "ex"}, {180, "exex"}, {243, "exex"},
    };
    for (const auto& [code, text] : cases) {
        Deliver(StateReply(code, 0, 0));
        EXPECT_EQ(Text(kFloorId), text) << "code " << code;
    }
}

// Inspection beats fire service, which beats independent service, lockout and
// attendant.
TEST_F(StatusPageTest, OperatingModeTakesTheFirstMatchingRule)
{
    StartWithFloors(16);
    const struct
    {
        int s1, s2;
        const char* mode;
    } cases[] = {
        {0x10, 0x02, "检修"}, {0xF0, 0x00, "检修"}, {0xE0, 0x02, "消防"}, {0xE0, 0x00, "独立"},
        {0x60, 0x00, "锁梯"}, {0x20, 0x00, "司机"}, {0x0F, 0xFD, "自动"},
    };
    for (const auto& c : cases) {
        Deliver(StateReply(1, c.s1, c.s2));
        EXPECT_EQ(Text(kStatusId), QString(c.mode)) << c.s1 << " " << c.s2;
    }
}

TEST_F(StatusPageTest, StateBytesDecideDoorLoadRunSafetyGroupAndArrow)
{
    StartWithFloors(16);
    Deliver(StateReply(3, 0x08 | 5, 0x80 | 0x40 | 0x10 | 0x08 | 0x04 | 0x01));
    EXPECT_EQ(Text(kDoorId), "开门");
    EXPECT_EQ(Text(kDoorLockId), "门锁闭合");
    EXPECT_EQ(Text(kLoadId), "超载");
    EXPECT_EQ(Text(kRunId), "运行");
    EXPECT_EQ(Text(kSafetyId), "安全回路");
    EXPECT_EQ(Text(kGroupId), "群控");
    EXPECT_EQ(Arrow()->GetFrame(), 5);
    EXPECT_EQ(Lamp()->GetTop(), 16);
    EXPECT_EQ(Lamp()->GetColumn(), 0);
    EXPECT_EQ(Control<QLabel>(Page(), kFloorId)->font().pixelSize(), 22) << "big font";

    Deliver(StateReply(3, 7, 0x20 | 0x04));
    EXPECT_EQ(Text(kDoorId), "关门");
    EXPECT_EQ(Text(kDoorLockId), "门锁开启");
    EXPECT_EQ(Text(kLoadId), "满载");
    EXPECT_EQ(Text(kRunId), "故障");
    EXPECT_EQ(Text(kSafetyId), "");
    EXPECT_EQ(Text(kGroupId), "单梯");
    EXPECT_EQ(Arrow()->GetFrame(), 7);
    EXPECT_EQ(Lamp()->GetTop(), 0);
    EXPECT_EQ(Lamp()->GetColumn(), 0);

    Deliver(StateReply(3, 0, 0));
    EXPECT_EQ(Text(kDoorId), "");
    EXPECT_EQ(Text(kLoadId), "");
}

TEST_F(StatusPageTest, SpeedIsSignedMillimetresPerSecondLowByteFirst)
{
    StartWithFloors(16);
    Deliver(CSimReply('A', '8').AddText("18FC").Frame());
    EXPECT_EQ(Text(kSpeedId), "速度: -1.00m/s");
    Deliver(CSimReply('A', '8').AddText("E803").Frame());
    EXPECT_EQ(Text(kSpeedId), "速度: 1.00m/s");
    Deliver(CSimReply('A', '8').AddText("D606").Frame());
    EXPECT_EQ(Text(kSpeedId), "速度: 1.75m/s");
}

// Replies restart timer 1 whatever their letters. A reply too short for its
// fields changes only what it carries in full.
TEST_F(StatusPageTest, ShortRepliesChangeOnlyWhatTheyCarryAndEveryReplyRestartsTheTimer)
{
    StartWithFloors(16);
    const std::vector<int> all(6, 0xFF);
    Deliver(StateReply(5, 0x08, 0x80));
    Deliver(CSimReply('A', '8').AddText("E803").Frame());
    Deliver(CallReply(all, all, all));

    Page()->KillTimer1();
    Deliver(CSimReply('A', '0').AddByte(9).Frame());
    EXPECT_EQ(Text(kFloorId), "5");
    EXPECT_EQ(Text(kRunId), "运行");
    EXPECT_TRUE(Page()->IsTimer1Active());
    Deliver(CSimReply('A', '8').AddText("E8").Frame());
    EXPECT_EQ(Text(kSpeedId), "速度: 1.00m/s");
    Deliver(CSimReply('A', '3').AddText(std::string(12, '0')).Frame());
    for (int row = 0; row < 16; ++row) {
        EXPECT_EQ(Cell(row, 1), "") << "car calls came in full, row " << row;
        EXPECT_EQ(Cell(row, 2), "↑") << "up calls did not come, row " << row;
    }

    Page()->KillTimer1();
    Deliver(CSimReply('F', '3').AddChar('F').Frame());
    EXPECT_TRUE(Page()->IsTimer1Active());
}

// 50 floors: floors 1 to 48 get their marks, 49 and 50 never; unchanged
// cells are not written again.
TEST_F(StatusPageTest, CallMarksCoverFortyEightFloorsAndAreWrittenOnlyWhenTheyChange)
{
    StartWithFloors(50);
    ASSERT_EQ(RowCount(List()), 50);
    const std::vector<int> all(6, 0xFF);
    Deliver(CallReply(all, all, all));
    for (int floor = 1; floor <= 50; ++floor) {
        const int row = 50 - floor;
        const bool marked = floor <= 48;
        EXPECT_EQ(Cell(row, 1), marked ? "√" : "") << "floor " << floor;
        EXPECT_EQ(Cell(row, 2), marked ? "↑" : "") << "floor " << floor;
        EXPECT_EQ(Cell(row, 3), marked ? "↓" : "") << "floor " << floor;
    }

    // Car call at floor 1, up call at floor 10 (byte 1 bit 1), down call at 48.
    const std::string some = CallReply({0x01, 0, 0, 0, 0, 0}, {0, 0x02, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0x80});
    Deliver(some);
    EXPECT_EQ(Cell(49, 1), "√");
    EXPECT_EQ(Cell(48, 1), "");
    EXPECT_EQ(Cell(40, 2), "↑");
    EXPECT_EQ(Cell(39, 2), "");
    EXPECT_EQ(Cell(2, 3), "↓");
    EXPECT_EQ(Cell(3, 3), "");

    QSignalSpy changes(List()->model(), &QAbstractItemModel::dataChanged);
    Deliver(some);
    EXPECT_EQ(changes.count(), 0) << "a steady state writes no cell";
}

// The call type comes from the clicked column's display position, so after
// the headers were dragged into another order the second position still
// registers a car call. The controller's next call reply shows the call.
TEST_F(StatusPageTest, ClickRegistersTheCallOfTheClickedColumnPosition)
{
    StartWithFloors(16);
    m_script = {};  // the controller answers again
    QHeaderView* header = List()->header();
    header->moveSection(3, 1);  // display order: floor, down, car, up
    ASSERT_EQ(List()->ColumnPosition(3), 1);

    ClearRequests();
    ClickCell(6, 3);  // floor 10, down column, shown second
    RunUntilRequests(1);
    ASSERT_FALSE(Requests().empty());
    EXPECT_EQ(Requests()[0], CallRequest('0', 10));
    EXPECT_TRUE(Page()->IsTimer1Active());

    ClearRequests();
    ClickCell(4, 2);  // floor 12, up column, shown fourth
    RunUntilRequests(1);
    EXPECT_EQ(Requests()[0], CallRequest('2', 12));

    ClearRequests();
    ClickCell(13, 1);  // floor 3, car column, shown third
    RunUntilRequests(1);
    EXPECT_EQ(Requests()[0], CallRequest('1', 3));

    for (int i = 0; i < 60 && Cell(6, 1) != "√"; ++i)
        Run(20);
    EXPECT_EQ(Cell(6, 1), "√") << "car call at floor 10 shown by the next call poll";
    EXPECT_EQ(Cell(13, 2), "↑");
}

TEST_F(StatusPageTest, AClickTheListDidNotRecordSendsNothingButRestartsPolling)
{
    StartWithFloors(16);
    ASSERT_EQ(List()->CurrentColumn(), -1);
    List()->setCurrentItem(List()->topLevelItem(3));
    Page()->KillTimer1();
    ClearRequests();
    emit List()->clicked(List()->model()->index(3, 1));
    Run(30);
    for (const std::string& letters : RequestLetters())
        EXPECT_NE(letters, "F3");
    EXPECT_TRUE(Page()->IsTimer1Active());
}

TEST_F(StatusPageTest, SerialSettingsButtonRunsTheSettingsDialogAndPollingGoesOn)
{
    StartWithFloors(16);
    bool shown = false;
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&shown] {
        if (auto* dialog = qobject_cast<CPortSetupDlg*>(QApplication::activeModalWidget())) {
            shown = true;
            dialog->reject();
        }
    });
    closer.start();
    Control<QPushButton>(Page(), 1060)->click();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(Page()->IsTimer1Active());
}

// With replies coming back, the next request goes out 100 ms after each reply:
// about nine requests a second against a prompt controller, never a flood.
TEST_F(StatusPageTest, PollsAboutTenTimesASecond)
{
    StartWithFloors(16);
    m_script = {};
    Run(100);
    ClearRequests();
    Run(1000);
    const size_t perSecond = Requests().size();
    EXPECT_GE(perSecond, 4u);
    EXPECT_LE(perSecond, 11u);
}
