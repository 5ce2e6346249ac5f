// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/StatusPage.h"

#include "ui/ListView.h"
#include "ui/TemplateLoader.h"
#include "ui/ArrowStatic.h"
#include "ui/CellList.h"
#include "ui/LampStatic.h"
#include "sim/SimReply.h"
#include "tests/EventLoopHelpers.h"
#include "tests/LivePageRig.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace {

enum TextId { kStatus = 1041, kSpeed, kDoor, kDoorLock, kLoad, kRun, kSafety, kGroup, kFloor = 1057 };

std::string StateReply(int code, int s1, int s2)
{
    return CSimReply('A', '0').AddByte(code).AddByte(s1).AddByte(s2).Frame();
}

std::string CallReply(const std::vector<int>& bytes)
{
    CSimReply reply('A', '3');
    for (int byte : bytes)
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
    CStatusPage* Page() const { return static_cast<CStatusPage*>(m_tab->Page(0)); }
    CCellList* List() const { return Control<CCellList>(Page(), 1032); }
    CLampStatic* Lamp() const { return Control<CLampStatic>(Page(), 1036); }
    QString Text(int id) const { return Control<QLabel>(Page(), id)->text(); }
    QString Cell(int row, int column) const { return RowText(List(), row, column); }
    void Deliver(const std::string& frame) { LivePageRig::Deliver(Page(), frame); }

    // Starts the pages against a controller of `floors` floors, waits until
    // the page has read the count, then silences the controller.
    void StartWithFloors(int floors)
    {
        m_sim = std::make_unique<CSimController>(CSimOptions{.floors = floors});
        m_tab->Init();
        RunUntilRequests(1);
        Run(50);
        ASSERT_EQ(Page()->FloorCount(), floors);
        m_silent = true;
    }

    void ClickCell(int row, int column)
    {
        const QRect cell = List()->visualRect(List()->model()->index(row, column));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, cell.center());
    }
};

} // namespace

// The count first (a blocking A5 of F11), then A3, A8, A0 in turn, one
// request 100 ms after each reply; the lamp greys at every poll.
TEST_F(StatusPageTest, FirstTickReadsTheFloorCountThenPollsCallsSpeedAndStateInTurn)
{
    m_tab->Init();
    for (int id : {kFloor, kStatus, kSpeed, kDoor, kDoorLock, kLoad, kRun, kSafety, kGroup})
        EXPECT_EQ(Text(id), "") << id;
    QElapsedTimer clock;
    clock.start();
    RunUntilRequests(8);
    EXPECT_GE(clock.elapsed(), CTimeScale::ReplyMs(700)) << "a poll waits 100 ms after each reply";

    EXPECT_EQ(RequestLetters(8), (std::vector<std::string>{"A5", "A3", "A8", "A0", "A3", "A8", "A0", "A3"}));
    CFrameBuffer countRequest;
    countRequest.BuildByteArg(255, 'A', '5', 0x0B);
    EXPECT_EQ(Requests()[0], countRequest.Data());
    ASSERT_EQ(RowCount(List()), 16);
    EXPECT_EQ(Cell(0, 0), "16");
    EXPECT_EQ(RowItemData(List(), 15), 1);
    // A reply the next poll overtakes is taken all the same; one may be lost
    // to the input the poll after it clears, so the texts are waited for.
    EXPECT_TRUE(RunEventLoopUntil([this] { return Text(kStatus) == "自动" && !Text(kSpeed).isEmpty(); }));
    EXPECT_EQ(Text(kFloor), "1");
    EXPECT_EQ(Text(kSpeed), "速度: 0.00m/s");
    EXPECT_TRUE(RunEventLoopUntil([this] { return Lamp()->GetColumn() == 2; })) << "grey while a request is outstanding";
}

// A zero count is read again on the next tick; so is a count no installation
// has (from a garbled reply), which must not become tens of thousands of rows.
TEST_F(StatusPageTest, ZeroAndImplausibleFloorCountsAreReadAgain)
{
    std::vector<int> counts{0, 300, 50};
    m_script = [&counts](const std::string& request) {
        if (request.compare(3, 2, "A5") != 0 || counts.empty())
            return std::string();
        const int floors = counts.front();
        counts.erase(counts.begin());
        return CSimReply('A', '5').AddByte(0x0B).AddWord(floors).Frame();
    };
    m_tab->Init();
    RunUntilRequests(4);
    EXPECT_EQ(RequestLetters(4), (std::vector<std::string>{"A5", "A5", "A5", "A3"}));
    EXPECT_EQ(RowCount(List()), 50);
}

// Neither live page sends while the other is shown, even with its timer running.
TEST_F(StatusPageTest, LivePagesSendNothingWhileAnotherPageIsShown)
{
    StartWithFloors(16);
    m_tab->SelectTab(3);
    Page()->SetTimer1(100);
    Run(30);
    ClearRequests();
    RunUntilRequests(3);
    EXPECT_EQ(RequestLetters(3), (std::vector<std::string>{"A4", "A4", "A4"}));

    m_tab->SelectTab(0);
    m_tab->Page(3)->SetTimer1(100);
    Run(30);
    ClearRequests();
    RunUntilRequests(3); // the I/O page's timer ticks between them as well
    for (const std::string& letters : RequestLetters(10))
        EXPECT_NE(letters, "A4");
    EXPECT_FALSE(Requests().empty());
}

TEST_F(StatusPageTest, StateReplyDecoding)
{
    StartWithFloors(16);
    const std::pair<int, QString> floors[] = {
        {255, ""}, {0, " "}, {49, " "}, {59, " "}, {48, "48"}, {50, "-1"}, {69, "B"}, {99, "出口"}, {180, "exex"}, {248, "ex"},
    };
    for (const auto& [code, text] : floors) {
        Deliver(StateReply(code, 0, 0));
        EXPECT_EQ(Text(kFloor), text) << "code " << code;
    }

    // Inspection beats fire service, which beats independent, lockout, attendant.
    const std::tuple<int, int, QString> modes[] = {
        {0x10, 0x02, "检修"}, {0xE0, 0x02, "消防"}, {0xE0, 0, "独立"}, {0x60, 0, "锁梯"}, {0x20, 0, "司机"}, {0x0F, 0xFD, "自动"},
    };
    for (const auto& [s1, s2, mode] : modes) {
        Deliver(StateReply(1, s1, s2));
        EXPECT_EQ(Text(kStatus), mode) << s1 << " " << s2;
    }

    Deliver(StateReply(3, 0x08 | 5, 0xDD));
    EXPECT_EQ(QStringList({Text(kDoor), Text(kDoorLock), Text(kLoad), Text(kRun), Text(kSafety), Text(kGroup)}),
              QStringList({"开门", "门锁闭合", "超载", "运行", "安全回路", "群控"}));
    EXPECT_EQ(Control<CArrowStatic>(Page(), 1049)->GetFrame(), 5);
    EXPECT_EQ(Lamp()->GetTop(), 16) << "lit green";

    Deliver(StateReply(3, 7, 0x24));
    EXPECT_EQ(QStringList({Text(kDoor), Text(kDoorLock), Text(kLoad), Text(kRun), Text(kSafety), Text(kGroup)}),
              QStringList({"关门", "门锁开启", "满载", "故障", "", "单梯"}));
    EXPECT_EQ(Lamp()->GetTop(), 0) << "lit red";
    EXPECT_EQ(Lamp()->GetColumn(), 0);
}

TEST_F(StatusPageTest, SpeedIsSignedMillimetresPerSecondLowByteFirst)
{
    StartWithFloors(16);
    Deliver(CSimReply('A', '8').AddText("18FC").Frame());
    EXPECT_EQ(Text(kSpeed), "速度: -1.00m/s");
    Deliver(CSimReply('A', '8').AddText("E803").Frame());
    EXPECT_EQ(Text(kSpeed), "速度: 1.00m/s");
}

// 50 floors: 1 to 48 get their marks, 49 and 50 never; cells are written only
// when they change; a short reply changes only what it carries in full.
TEST_F(StatusPageTest, CallMarks)
{
    StartWithFloors(50);
    Deliver(CallReply(std::vector<int>(18, 0xFF)));
    for (int floor = 1; floor <= 50; ++floor) {
        const bool marked = floor <= 48;
        EXPECT_EQ(QStringList({Cell(50 - floor, 1), Cell(50 - floor, 2), Cell(50 - floor, 3)}),
                  marked ? QStringList({"√", "↑", "↓"}) : QStringList({"", "", ""}))
            << "floor " << floor;
    }

    // Car call at floor 1 (byte 0 bit 0), up call at floor 10 (byte 1 bit 1).
    std::vector<int> some(18, 0);
    some[0] = 0x01;
    some[6 + 1] = 0x02;
    Deliver(CallReply(some));
    EXPECT_EQ(Cell(49, 1), "√");
    EXPECT_EQ(Cell(48, 1), "");
    EXPECT_EQ(Cell(40, 2), "↑");
    EXPECT_EQ(Cell(41, 2), "");
    QSignalSpy writes(List()->model(), &QAbstractItemModel::dataChanged);
    Deliver(CallReply(some));
    EXPECT_EQ(writes.count(), 0);

    Deliver(CallReply(std::vector<int>(6, 0x00)));
    EXPECT_EQ(Cell(49, 1), "") << "the car calls came in full";
    EXPECT_EQ(Cell(40, 2), "↑") << "the up calls did not come";
    Page()->KillTimer1();
    Deliver(CSimReply('F', '3').AddChar('F').Frame());
    EXPECT_TRUE(Page()->IsTimer1Active()) << "every reply restarts the poll";
}

// The call type comes from the clicked column's display position: after the
// headers were dragged into another order, the second position is still a car
// call. The controller's next call reply shows the call. A click the list did
// not record (no current column) sends nothing but still restarts the poll.
TEST_F(StatusPageTest, ClickRegistersTheCallOfTheClickedColumnWhereverItStands)
{
    StartWithFloors(16);
    m_silent = false;
    List()->setCurrentItem(List()->topLevelItem(3));
    Page()->KillTimer1();
    ClearRequests();
    emit List()->clicked(List()->model()->index(3, 1));
    EXPECT_TRUE(Page()->IsTimer1Active());
    Run(30);
    for (const std::string& letters : RequestLetters(10))
        EXPECT_NE(letters, "F3");

    List()->header()->moveSection(3, 1); // floor, down, car, up
    const std::tuple<int, int, std::string> clicks[] = {
        {6, 3, CallRequest('2', 10)}, {4, 2, CallRequest('1', 12)}, {13, 1, CallRequest('0', 3)},
        {9, 0, CallRequest('0', 7)}, // the floor number registers a car call too
    };
    for (const auto& [row, column, request] : clicks) {
        ClearRequests();
        ClickCell(row, column);
        EXPECT_TRUE(Page()->IsTimer1Active());
        const auto isCall = [](const std::string& frame) { return frame.compare(3, 2, "F3") == 0; };
        for (int waited = 0; waited < 1000 && std::ranges::none_of(Requests(), isCall); waited += 5)
            Run(5);
        const std::vector<std::string> sent = Requests();
        EXPECT_EQ(std::ranges::count_if(sent, isCall), 1);
        const auto call = std::ranges::find_if(sent, isCall);
        EXPECT_EQ(call == sent.end() ? std::string() : *call, request);
    }
    for (int waited = 0; waited < 1000 && Cell(13, 1) != "√"; waited += 20)
        Run(20);
    EXPECT_EQ(Cell(13, 1), "√") << "car call at floor 3";
    EXPECT_EQ(Cell(4, 2), "↑") << "up call at floor 12";
    EXPECT_EQ(Cell(6, 3), "↓") << "down call at floor 10";
}

// The floor list draws grid lines: along the bottom of every row and at the
// right edge of every cell, whatever the column order.
TEST_F(StatusPageTest, FloorListDrawsGridLines)
{
    StartWithFloors(4);
    List()->header()->moveSection(3, 1);
    const QImage image = List()->viewport()->grab().toImage();
    const QRgb grid = List()->palette().color(QPalette::Midlight).rgb();
    ASSERT_NE(grid, List()->palette().color(QPalette::Base).rgb());
    const QRect cell = List()->visualRect(List()->model()->index(1, 2));
    EXPECT_EQ(image.pixel(cell.right(), cell.center().y()), grid) << "right edge of a cell";
    EXPECT_EQ(image.pixel(cell.center().x(), cell.bottom()), grid) << "bottom of a row";
    EXPECT_NE(image.pixel(cell.center()), grid);
}
