// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/FaultPage.h"
#include "record/ServiceRecord.h"

#include "ui/ListView.h"
#include "ui/TemplateLoader.h"
#include "link/FrameBuffer.h"
#include "link/PortChannel.h"
#include "sim/SimController.h"
#include "sim/SimReply.h"
#include "tests/CsvRows.h"
#include "tests/FileChooser.h"
#include "tests/ScriptedPeerTest.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>

namespace {

std::string RecordRequest(int number, bool longForm)
{
    CFrameBuffer frame;
    if (longForm)
        frame.BuildByteArg(0xFF, 'A', '1', number);
    else
        frame.BuildCharArg(0xFF, 'A', '1', "0123456789ABCDEF"[number]);
    return frame.Data();
}

class CPaintCounter : public QObject
{
public:
    explicit CPaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        m_paints += event->type() == QEvent::Paint;
        return false;
    }
    int m_paints = 0;
};

class FaultPageTest : public CScriptedPeerTest
{
protected:
    void SetUp() override
    {
        CScriptedPeerTest::SetUp();
        m_page.show();
    }

    // A controller of the generation whose record i holds codes[i] (0: empty).
    void Controller(bool longRecord, const std::vector<int>& codes)
    {
        m_sim = std::make_unique<CSimController>(CSimOptions{.longRecord = longRecord});
        CSimMainBoard& board = m_sim->MainBoard();
        board.FaultLog().Clear();
        for (int i = static_cast<int>(codes.size()) - 1; i >= 0; --i)
            board.FaultLog().Add(codes[i], i + 1, board.Clock());
    }

    QTreeWidget* List() { return Control<QTreeWidget>(&m_page, 1032); }
    QString Cell(int row, int column) { return RowText(List(), row, column); }
    void Click(int button) { Control<QPushButton>(&m_page, button)->click(); }
    void ClickRow(int row)
    {
        const QRect rect = List()->visualItemRect(List()->topLevelItem(row));
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, rect.center());
    }

    CFaultPage m_page;
};

} // namespace

TEST_F(FaultPageTest, RecordZeroReplyOf23CharactersOrMoreMeansLongRecordsOtherwiseShort)
{
    for (const int length : {22, 23}) {
        const bool longForm = length == 23;
        const int records = longForm ? 20 : 16;
        Controller(longForm, std::vector<int>(records, 8));
        m_answer = [length, first = true](const std::string&) mutable -> std::optional<std::string> {
            if (!std::exchange(first, false))
                return std::nullopt;
            return CSimReply('A', '1').AddText(std::string(length - 8, '0')).Frame();
        };
        s_peer->ClearRequests();
        m_page.GiveFocus();

        std::vector<std::string> expected{RecordRequest(0, true)};
        for (int i = 0; i < records; ++i)
            expected.push_back(RecordRequest(i, longForm));
        EXPECT_EQ(s_peer->Requests(), expected);
        EXPECT_EQ(m_page.IsLongFormat(), longForm);
        ASSERT_EQ(RowCount(List()), records);
        EXPECT_EQ(Cell(records - 1, 0), QString::number(records - 1));
        EXPECT_EQ(Cell(records - 1, 2), longForm ? QString::number(records) : "");
        EXPECT_EQ(Cell(records - 1, 3), longForm ? "25-01-01 08:00" : "01010800");
    }
    EXPECT_EQ(m_boxes.Count(), 0);
}

// Also the measured figures: the read's duration and the list's repaints.
TEST_F(FaultPageTest, EmptyRecordsLeaveNoRowAndRowsKeepTheControllersNumbers)
{
    std::vector<int> codes;
    for (int i = 0; i < 20; ++i)
        codes.push_back(i == 3 || i == 7 ? 0 : i + 20);
    Controller(true, codes);
    m_sim->Misbehaviour().badChecksumFraction = 1.0; // records are taken on their letters
    CPaintCounter paints(List()->viewport());
    QElapsedTimer clock;
    clock.start();
    m_page.GiveFocus();
    printf("full read: %lld ms, %d list repaints\n", clock.elapsed(), paints.m_paints);

    ASSERT_EQ(RowCount(List()), 18);
    const QStringList numbers{Cell(2, 0), Cell(3, 0), Cell(6, 0), Cell(17, 0)};
    EXPECT_EQ(numbers, (QStringList{"2", "4", "8", "19"}));
    EXPECT_EQ(Cell(3, 1), "24");
    EXPECT_EQ(RowItemData(List(), 3), 24);
    EXPECT_GT(paints.m_paints, 10);
}

// The message comes after the wait cursor is gone and the port is released;
// the box and the window activation around it start no further read.
TEST_F(FaultPageTest, FailureAtRecordFiveKeepsRowsZeroToFourAndSaysSoOnce)
{
    Controller(true, std::vector<int>(20, 2));
    m_answer = [](const std::string& request) -> std::optional<std::string> {
        return request == RecordRequest(5, true) ? std::optional<std::string>("") : std::nullopt;
    };
    bool busyOrWaitingDuringBox = true;
    m_boxes.SetOnShow([&](const MessageBoxCall&) {
        busyOrWaitingDuringBox = g_port.m_busy || QGuiApplication::overrideCursor();
        m_page.window()->activateWindow();
        m_page.setFocus();
    });
    m_page.GiveFocus();
    QTest::qWait(300);

    EXPECT_EQ(m_boxes.Texts(), QStringList{"通讯失败，请刷新!"});
    EXPECT_FALSE(busyOrWaitingDuringBox);
    EXPECT_EQ(RowCount(List()), 5);
    EXPECT_EQ(s_peer->Requests().size(), 8u); // probe, records 0 to 4, record 5 twice

    // 刷新 goes on from record 5, keeping rows 0 to 4, once record 0 reads as
    // before; once the log is whole it reads everything again.
    m_answer = nullptr;
    m_boxes.SetOnShow(nullptr);
    for (const size_t requests : {16u, 21u}) {
        s_peer->ClearRequests();
        Click(1003);
        EXPECT_EQ(s_peer->Requests().size(), requests);
        EXPECT_EQ(RowCount(List()), 20);
    }
    EXPECT_EQ(m_boxes.Count(), 1);
}

// Silence must not pass for a confirmation although g_reply still holds one.
TEST_F(FaultPageTest, ResetAsksFirstThenReportsSuccessRefusalAndSilenceAndReadsTheLogAgain)
{
    m_boxes.SetAnswer(IDYES);
    CServiceRecord::Instance().StartVisit();
    Controller(false, std::vector<int>(16, 2));
    std::atomic<bool> silent = false;
    m_answer = [&silent](const std::string& request) -> std::optional<std::string> {
        return silent && request[3] == 'F' ? std::optional<std::string>("") : std::nullopt;
    };
    Click(1002);
    EXPECT_EQ(s_peer->Requests().size(), 18u); // the reset, the probe and 16 records
    EXPECT_EQ(RowCount(List()), 0);

    Controller(false, std::vector<int>(16, 2));
    m_sim->Misbehaviour().refuseWrites = true;
    Click(1002);
    EXPECT_EQ(RowCount(List()), 16);

    silent = true;
    g_reply.SetText(CSimReply('F', 'R').AddChar('2').AddChar('F').Frame().c_str());
    Click(1002);
    CServiceRecord::Instance().EndVisit();
    // The question says whether the log as it stands is in the service record:
    // not before the first whole read of the visit, then kept.
    const QString ask = "复位将清除控制器中的全部故障记录。\n%1\n确定要复位吗？";
    const QString notKept = ask.arg("当前的故障记录本次尚未完整读取，未保存在维护记录中；可先选“否”并刷新读取。");
    const QString kept = ask.arg("当前的故障记录已保存在维护记录中。");
    const QString sent = "复位电梯故障记录命令发出成功";
    const QString failed = "复位电梯故障记录命令发出失败";
    EXPECT_EQ(m_boxes.Texts(), (QStringList{notKept, sent, kept, failed, kept, failed}));
    EXPECT_EQ(m_boxes.Calls()[0].flags, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);

    m_boxes.SetAnswer(IDNO);
    s_peer->ClearRequests();
    Click(1002);
    EXPECT_TRUE(s_peer->Requests().empty()) << "No sends nothing";
}

TEST_F(FaultPageTest, RowsShowExportAndClickOrReturnTellTheFaultTextOfTheGenerationOfTheLastAnsweredRead)
{
    Controller(true, {8, 3});
    m_page.GiveFocus();
    ClickRow(0);
    ClickRow(1);
    List()->clearSelection();
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, QPoint(20, List()->viewport()->height() - 5));
    EXPECT_EQ(m_boxes.Texts(), (QStringList{"连续8秒钟没有RT-07板的CAN通讯", ""}));
    EXPECT_EQ((QStringList{Cell(0, 4), Cell(1, 4)}), m_boxes.Texts()) << "the text column shows the same texts";
    QTemporaryDir dir;
    CFileChooser chooser(dir.filePath("faults.csv"));
    TriggerExport(List());
    EXPECT_TRUE(chooser.Last().fileName.startsWith("故障记录-"));
    EXPECT_EQ(CsvFileRows(dir.filePath("faults.csv")),
              (QList<QStringList>{{"编号", "故障码", "楼层", "时间", "说明"}} + ShownRows(List(), {0, 1, 2, 3, 4})))
        << "the export";

    m_boxes.Clear();
    Controller(false, {8});
    Click(1003);
    m_sim->Misbehaviour().silent = true;
    m_page.GiveFocus();
    ASSERT_EQ(RowCount(List()), 1);
    ClickRow(0);
    List()->setCurrentItem(List()->topLevelItem(0));
    QTest::keyClick(List(), Qt::Key_Return);
    EXPECT_EQ(m_boxes.Texts(), QStringList(2, "连续10S接收不到轿厢信号")) << "a click, then Return";
    EXPECT_EQ(Cell(0, 4), "连续10S接收不到轿厢信号");
}

// 刷新 with a silent controller: one probe, no records asked, and the empty
// list is explained instead of passing for "no faults".
TEST_F(FaultPageTest, RefreshWithASilentControllerProbesOnceAndSaysSo)
{
    Controller(true, {8, 3});
    m_page.GiveFocus();
    ASSERT_EQ(RowCount(List()), 2);
    s_peer->ClearRequests();
    m_sim->Misbehaviour().silent = true;
    Click(1003);
    EXPECT_EQ(s_peer->Requests(), std::vector<std::string>{RecordRequest(0, true)});
    EXPECT_EQ(RowCount(List()), 0);
    EXPECT_EQ(m_boxes.Texts(), QStringList{"通讯失败，请刷新!"});
}

// A record reply that ends early shows only the fields it carries in full;
// the rest stays empty instead of showing its checksum or an older reply.
TEST_F(FaultPageTest, RecordFieldsAreShownOnlyWhenTheReplyCarriesThemInFull)
{
    Controller(true, {8, 3, 5});
    m_answer = [](const std::string& request) -> std::optional<std::string> {
        if (request == RecordRequest(1, true))
            return CSimReply('A', '1').AddText("01" "06" "03" "25-0").Frame(); // time cut short
        if (request == RecordRequest(2, true))
            return CSimReply('A', '1').AddText("02" "0").Frame(); // code cut short
        return std::nullopt;
    };
    m_page.GiveFocus();
    ASSERT_EQ(RowCount(List()), 2);
    EXPECT_EQ(Cell(1, 0), "1");
    EXPECT_EQ(Cell(1, 1), "6");
    EXPECT_EQ(Cell(1, 2), "3");
    EXPECT_EQ(Cell(1, 3), "");
}


// 刷新 after a read that failed at record 5 goes on from record 5 only while
// the line stayed up and record 0 still reads as before; a new fault in
// between (the rolling log moved on) or a reopened port reads the whole log
// again, so no fault is shown twice or left out.
TEST_F(FaultPageTest, RefreshGoesOnFromTheGapOnlyInTheSameLog)
{
    struct Case
    {
        const char* name;
        std::function<void(CSimController&)> change;
        bool goesOn;
        const char* firstCode; // the first row's code afterwards
    };
    const Case cases[] = {
        {"the same log", [](CSimController&) {}, true, "2"},
        {"a new fault in between",
         [](CSimController& sim) { sim.MainBoard().FaultLog().Add(9, 3, sim.MainBoard().Clock()); }, false, "9"},
        {"the port opened again", [](CSimController&) { ASSERT_EQ(g_port.Open(nullptr, 1, 9600, 'N', 8, 1, 0x49), 1); },
         false, "2"},
    };
    for (const Case& c : cases) {
        Controller(true, std::vector<int>(20, 2));
        m_answer = [](const std::string& request) -> std::optional<std::string> {
            return request == RecordRequest(5, true) ? std::optional<std::string>("") : std::nullopt;
        };
        Click(1003);
        ASSERT_EQ(RowCount(List()), 5) << c.name;
        m_answer = nullptr;
        c.change(*m_sim);
        s_peer->ClearRequests();
        Click(1003);
        const std::vector<std::string> requests = s_peer->Requests();
        ASSERT_EQ(requests.size(), c.goesOn ? 1u + 15 : 1u + 20) << c.name;
        EXPECT_EQ(requests[0], RecordRequest(0, true)) << c.name << ": record 0 first";
        EXPECT_EQ(requests[1], RecordRequest(c.goesOn ? 5 : 0, true)) << c.name;
        ASSERT_EQ(RowCount(List()), 20) << c.name;
        EXPECT_EQ(Cell(0, 1), c.firstCode) << c.name << ": the log as it is now";
        m_boxes.Clear();
    }
}

// Escape ends the read with the records read so far and says how far it got,
// never a line failure.
TEST_F(FaultPageTest, EscapeStopsTheReadAndSaysHowFarItGot)
{
    Controller(true, std::vector<int>(20, 2));
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (s_peer->Requests().size() == 4) { // the probe and records 0 to 2 asked
            poll.stop();
            QTest::keyClick(List(), Qt::Key_Escape);
        }
    });
    poll.start(1);
    m_page.GiveFocus();
    EXPECT_EQ(s_peer->Requests().size(), 4u);
    EXPECT_EQ(RowCount(List()), 3);
    EXPECT_EQ(m_boxes.Texts(), QStringList{"读取故障记录已停止：已读出 3 / 20。\n按“刷新”从停止处继续读取。"});
}
