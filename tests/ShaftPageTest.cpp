// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/ShaftPage.h"

#include "ui/ListView.h"
#include "ui/TemplateLoader.h"
#include "sim/SimReply.h"
#include "tests/DialogDriver.h"
#include "tests/LivePageRig.h"
#include "tests/MessageBoxRecorder.h"

#include <QTest>
#include <QTimer>

namespace {

// A5 and A6 with their item byte; F4 without one.
std::string Request(char letter2, int item)
{
    CFrameBuffer frame;
    if (letter2 == '4')
        frame.BuildCommand(255, 'F', '4');
    else
        frame.BuildByteArg(255, 'A', letter2, item);
    return frame.Data();
}

std::string Reply(char letter2, int item, const std::string& digits)
{
    return CSimReply('A', letter2).AddByte(item).AddText(digits).Frame();
}

// The requests of a read of `floors` floors.
std::vector<std::string> ReadSequence(int floors)
{
    std::vector<std::string> frames{Request('5', 0x0B)};
    for (int item = 1; item <= floors; ++item)
        frames.push_back(Request('6', item));
    for (int item = 0x30; item <= 0x34; ++item)
        frames.push_back(Request('6', item));
    return frames;
}

class ShaftPageTest : public LivePageRig
{
protected:
    CShaftPage* Page() const { return static_cast<CShaftPage*>(m_tab->Page(CShaftPage::kPageIndex)); }
    QTreeWidget* List() const { return Control<QTreeWidget>(Page(), 1032); }
    QString Cell(int row, int column) const { return RowText(List(), row, column); }
    QStringList Fields() const
    {
        QStringList texts;
        for (int id : {1001, 1003, 1007, 1009, 1010})
            texts << DialogDriver::Text(Page(), id);
        return texts;
    }
    // Selects the page against a controller of `floors` floors; the page reads.
    void ShowPage(int floors)
    {
        m_sim = std::make_unique<CSimController>(CSimOptions{.floors = floors});
        m_tab->Init();
        ClearRequests();
        m_tab->SelectTab(CShaftPage::kPageIndex);
    }
    // The controller answers `request` with `reply` from now on.
    void Answer(const std::string& request, const std::string& reply)
    {
        m_script = [request, reply](const std::string& frame) { return frame == request ? reply : ""; };
    }

    CMessageBoxRecorder m_boxes;
};

} // namespace

// Values travel lowest byte first and are signed; a switch reply is taken
// whatever its letters. A count of 0 clears the rows and still reads the
// switches.
TEST_F(ShaftPageTest, ReadsTheCountEveryFloorAndTheFiveSwitchesInOrder)
{
    m_script = [](const std::string& request) -> std::string {
        if (request == Request('6', 1))
            return Reply('6', 1, "10270000");
        if (request == Request('6', 2))
            return Reply('6', 2, "FFFFFFFF");
        return request == Request('6', 0x31) ? Reply('7', 0x31, "E8030000") : "";
    };
    ShowPage(12);
    EXPECT_EQ(Requests(), ReadSequence(12));
    ASSERT_EQ(RowCount(List()), 12);
    EXPECT_EQ((QStringList{Cell(0, 1), Cell(1, 1), Cell(11, 0)}), (QStringList{"10000", "-1", "12"}));
    EXPECT_EQ(Cell(6, 1), QString::number(m_sim->MainBoard().Shaft().LearntLevel(7)));
    const QString upSlowSingle = QString::number(m_sim->MainBoard().Shaft().SwitchValue(2));
    EXPECT_EQ(Fields().mid(0, 3), (QStringList{"280", "1000", upSlowSingle}));

    ClearRequests();
    Answer(Request('5', 0x0B), CSimReply('A', '5').AddByte(0x0B).AddWord(0).Frame());
    Page()->GiveFocus();
    EXPECT_EQ(Requests(), ReadSequence(0));
    EXPECT_EQ(RowCount(List()), 0);
    EXPECT_EQ(m_boxes.Count(), 0);
}

// A floor that fails twice ends the read with one message: its rows so far
// stay, the switches are neither read nor changed. A count that fails twice
// leaves the list alone; one above 255 floors cannot be asked for; a floor
// reply too short to carry its value ends the read too.
TEST_F(ShaftPageTest, FailuresStopTheReadWithOneMessageAndKeepWhatWasRead)
{
    ShowPage(10);
    const QStringList fields = Fields();
    ClearRequests();
    Answer(Request('6', 5), Reply('7', 5, "00000000"));
    DialogDriver::Click(Page(), 1008);
    EXPECT_EQ(Requests().size(), 7u); // count, floors 1 to 4, floor 5 twice
    EXPECT_EQ(RowCount(List()), 4);
    EXPECT_EQ(m_boxes.Texts(), QStringList{"通讯失败，请刷新!"});
    EXPECT_EQ(Fields(), fields);

    ClearRequests();
    m_sim->Misbehaviour().badChecksumFraction = 1.0;
    Page()->GiveFocus();
    EXPECT_EQ(Requests(), (std::vector<std::string>{Request('5', 0x0B), Request('5', 0x0B)}));
    EXPECT_EQ(RowCount(List()), 4);

    m_sim->Misbehaviour().badChecksumFraction = 0;
    Answer(Request('5', 0x0B), CSimReply('A', '5').AddByte(0x0B).AddWord(256).Frame());
    Page()->GiveFocus();
    EXPECT_EQ(Requests().size(), 3u);

    Answer(Request('6', 1), Reply('6', 1, "1027")); // too short to carry a value
    Page()->GiveFocus();
    EXPECT_EQ(Requests().size(), 5u);
    EXPECT_EQ(RowCount(List()), 0);
    EXPECT_EQ(m_boxes.Count(), 4);
}

// F4 alone, no read after it; the message only for its acknowledgement.
TEST_F(ShaftPageTest, SelfLearningAsksFirstAndSaysSoOnlyWhenAcknowledged)
{
    ShowPage(4);
    ClearRequests();
    m_boxes.SetAnswer(IDNO);
    DialogDriver::Click(Page(), 1002);
    EXPECT_TRUE(Requests().empty()) << "No sends nothing";
    m_boxes.Clear();
    m_boxes.SetAnswer(IDYES);
    DialogDriver::Click(Page(), 1002);
    EXPECT_EQ(Requests(), std::vector<std::string>{Request('4', 0)});
    const QString ask = "井道自学习将使电梯在井道内自行运行。\n请确认井道内无人、电梯可以运行。确定要开始自学习吗？";
    EXPECT_EQ(m_boxes.Texts(), (QStringList{ask, "井道自学习发出，若电梯启动，则正在进行自学习"}));

    m_sim->Misbehaviour().refuseWrites = true;
    DialogDriver::Click(Page(), 1002);
    Answer(Request('4', 0), CSimReply('F', '5').AddChar('F').Frame());
    DialogDriver::Click(Page(), 1002);
    EXPECT_EQ(m_boxes.Count(), 2 + 2);
}

// Escape stops the read at the next exchange boundary; what was read stays
// and the page says how far it got, never a line failure.
TEST_F(ShaftPageTest, EscapeStopsTheReadAndSaysHowFarItGot)
{
    ShowPage(10);
    ClearRequests();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (Requests().size() == 4) { // the count and floors 1 to 3 asked
            poll.stop();
            QTest::keyClick(List(), Qt::Key_Escape);
        }
    });
    poll.start(1);
    Page()->GiveFocus();
    EXPECT_EQ(Requests().size(), 4u);
    EXPECT_EQ(RowCount(List()), 3);
    EXPECT_EQ(m_boxes.Texts(), QStringList{"读取井道数据已停止：已读出 3 / 15。\n再次进入本页将重新读取。"});
}
