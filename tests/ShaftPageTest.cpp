#include "pages/ShaftPage.h"

#include "app/ListView.h"
#include "app/TemplateLoader.h"
#include "sim/SimReply.h"
#include "tests/LivePageRig.h"
#include "tests/MessageBoxRecorder.h"

#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace {

constexpr int kSwitchIds[] = {1001, 1003, 1007, 1009, 1010};

std::string ShaftRequest(int item)
{
    CFrameBuffer frame;
    frame.BuildByteArg(255, 'A', '6', item);
    return frame.Data();
}

std::string FloorCountRequest()
{
    CFrameBuffer frame;
    frame.BuildByteArg(255, 'A', '5', 0x0B);
    return frame.Data();
}

std::string FloorCountReply(int floors)
{
    return CSimReply('A', '5').AddByte(0x0B).AddWord(floors).Frame();
}

// A shaft value reply with its eight digits given as they travel.
std::string ShaftReply(char letter2, int item, const std::string& digits)
{
    return CSimReply('A', letter2).AddByte(item).AddText(digits).Frame();
}

class ShaftPageTest : public LivePageRig
{
protected:
    CShaftPage* Page() const { return static_cast<CShaftPage*>(m_tab->Page(CShaftPage::kPageIndex)); }
    QTreeWidget* List() const { return Control<QTreeWidget>(Page(), 1032); }
    QString Cell(int row, int column) const { return RowText(List(), row, column); }
    QString Field(int id) const { return Control<QLineEdit>(Page(), id)->text(); }
    QStringList Fields() const
    {
        QStringList texts;
        for (int id : kSwitchIds)
            texts << Field(id);
        return texts;
    }
    void Click(int id) { Control<QPushButton>(Page(), id)->click(); }

    // Starts the pages against a controller of `floors` floors and selects the
    // shaft page, which reads everything.
    void ShowPage(int floors)
    {
        m_sim = std::make_unique<CSimController>(CSimOptions{.floors = floors});
        m_tab->Init();
        ClearRequests();
        m_tab->SelectTab(CShaftPage::kPageIndex);
    }

    static std::vector<std::string> SwitchRequests()
    {
        std::vector<std::string> frames;
        for (int item = 0x30; item <= 0x34; ++item)
            frames.push_back(ShaftRequest(item));
        return frames;
    }

    CMessageBoxRecorder m_boxes;
};

} // namespace

// Also the measured figure: the read's duration against its designed time.
TEST_F(ShaftPageTest, ReadsCountEveryFloorAndTheFiveSwitchesInOrder)
{
    QElapsedTimer clock;
    clock.start();
    ShowPage(12);
    const qint64 elapsed = clock.elapsed();
    printf("12 floors: %lld ms, designed %d ms\n", elapsed, 13 * 130 + 5 * 180);

    std::vector<std::string> expected{FloorCountRequest()};
    for (int floor = 1; floor <= 12; ++floor)
        expected.push_back(ShaftRequest(floor));
    for (const std::string& frame : SwitchRequests())
        expected.push_back(frame);
    EXPECT_EQ(Requests(), expected);

    const CSimShaft& shaft = m_sim->MainBoard().Shaft();
    ASSERT_EQ(RowCount(List()), 12);
    EXPECT_EQ(Cell(0, 0), "1");
    EXPECT_EQ(Cell(11, 0), "12");
    EXPECT_EQ(Cell(6, 1), QString::number(shaft.LearntLevel(7)));
    EXPECT_EQ(RowItemData(List(), 11), 12);
    EXPECT_EQ(Fields()[2], QString::number(shaft.SwitchValue(2)));
    EXPECT_EQ(m_boxes.Count(), 0);
}

// Rows of an earlier read go; the switches are still read.
TEST_F(ShaftPageTest, FloorCountZeroClearsTheListAndStillReadsTheSwitches)
{
    ShowPage(12);
    ClearRequests();
    m_script = [](const std::string& request) { return request == FloorCountRequest() ? FloorCountReply(0) : ""; };
    Page()->GiveFocus();

    std::vector<std::string> expected{FloorCountRequest()};
    for (const std::string& frame : SwitchRequests())
        expected.push_back(frame);
    EXPECT_EQ(Requests(), expected);
    EXPECT_EQ(RowCount(List()), 0);
    EXPECT_EQ(Fields()[0], "280");
}

// Values travel lowest byte first and are signed; a switch reply is taken
// whatever its letters, a floor reply only with its own.
TEST_F(ShaftPageTest, ValuesAreSignedLowByteFirstAndSwitchRepliesAreTakenWhateverTheirLetters)
{
    m_script = [](const std::string& request) -> std::string {
        if (request == ShaftRequest(1))
            return ShaftReply('6', 1, "10270000");
        if (request == ShaftRequest(2))
            return ShaftReply('6', 2, "FFFFFFFF");
        if (request == ShaftRequest(0x31))
            return ShaftReply('7', 0x31, "E8030000");
        return "";
    };
    ShowPage(3);
    EXPECT_EQ(Cell(0, 1), "10000");
    EXPECT_EQ(Cell(1, 1), "-1");
    EXPECT_EQ(Fields()[1], "1000");
    EXPECT_EQ(m_boxes.Count(), 0);
}

// A floor that fails twice ends the read: its rows so far stay, the message
// comes once, the switches are neither read nor changed. A count that fails
// twice leaves the list alone; one above 255 floors cannot be asked for.
TEST_F(ShaftPageTest, FailuresStopTheReadWithOneMessageAndKeepWhatWasRead)
{
    ShowPage(10);
    const QStringList fields = Fields();
    ASSERT_EQ(fields[0], "280");

    ClearRequests();
    m_script = [](const std::string& request) {
        // A reply with other letters fails a floor's letter test.
        return request == ShaftRequest(5) ? ShaftReply('7', 5, "00000000") : "";
    };
    Click(1008);
    EXPECT_EQ(Requests().size(), 7u); // count, floors 1 to 4, floor 5 twice
    EXPECT_EQ(RowCount(List()), 4);
    EXPECT_EQ(m_boxes.Texts(), QStringList{"通讯失败，请刷新!"});
    EXPECT_EQ(Fields(), fields);
    EXPECT_FALSE(g_port.m_busy);

    m_boxes.Clear();
    ClearRequests();
    m_sim->Misbehaviour().badChecksumFraction = 1.0;
    Page()->GiveFocus();
    EXPECT_EQ(Requests(), (std::vector<std::string>{FloorCountRequest(), FloorCountRequest()}));
    EXPECT_EQ(RowCount(List()), 4);

    ClearRequests();
    m_sim->Misbehaviour().badChecksumFraction = 0;
    m_script = [](const std::string& request) { return request == FloorCountRequest() ? FloorCountReply(256) : ""; };
    Page()->GiveFocus();
    EXPECT_EQ(Requests().size(), 1u);
    EXPECT_EQ(m_boxes.Texts(), (QStringList{"通讯失败，请刷新!", "通讯失败，请刷新!"}));
}

// F4 alone, no read after it; the message only for its acknowledgement.
TEST_F(ShaftPageTest, SelfLearningSaysSoOnlyWhenAcknowledged)
{
    ShowPage(4);
    ClearRequests();
    Click(1002);
    CFrameBuffer learn;
    learn.BuildCommand(255, 'F', '4');
    EXPECT_EQ(Requests(), std::vector<std::string>{learn.Data()});
    EXPECT_EQ(m_boxes.Texts(), QStringList{"井道自学习发出，若电梯启动，则正在进行自学习"});

    m_boxes.Clear();
    m_sim->Misbehaviour().refuseWrites = true;
    Click(1002);
    m_sim->Misbehaviour().refuseWrites = false;
    m_script = [](const std::string&) { return CSimReply('F', '5').AddChar('F').Frame(); };
    Click(1002);
    EXPECT_EQ(m_boxes.Count(), 0);
}
