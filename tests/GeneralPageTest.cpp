// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/GeneralPage.h"

#include "ui/DataExchange.h"
#include "ui/TemplateLoader.h"
#include "dialogs/ClockDlg.h"
#include "link/TimeScale.h"
#include "sim/SimReply.h"
#include "tests/DialogDriver.h"
#include "tests/EventLoopHelpers.h"
#include "tests/LivePageRig.h"
#include "tests/MessageBoxRecorder.h"

#include <QApplication>
#include <QLineEdit>

#include <algorithm>
#include <atomic>

namespace {

enum FieldId { kId = 1001, kPhone = 1003, kRunCount = 1007, kProgramName = 1009, kClock = 1053 };

std::string Command(char letter1, char letter2, const char* text = nullptr)
{
    CFrameBuffer frame;
    if (text)
        frame.BuildTextArg(255, letter1, letter2, text);
    else
        frame.BuildCommand(255, letter1, letter2);
    return frame.Data();
}

std::string Reply(char letter2, const std::string& data)
{
    return CSimReply('A', letter2).AddText(data).Frame();
}

// Built when used: the special code is set per test.
std::vector<std::string> ReadSequence()
{
    return {Command('A', 'B'), Command('A', '2'), Command('A', '7'), Command('A', 'A'), Command('A', '9')};
}

class GeneralPageTest : public LivePageRig
{
protected:
    CGeneralPage* Page() const { return static_cast<CGeneralPage*>(m_tab->Page(CGeneralPage::kPageIndex)); }
    QString Field(int id) const { return ControlText(Control<QWidget>(Page(), id)); }
    void Click(int id) { DialogDriver::Click(Page(), id); }

    // Selects the page; it reads everything.
    void ShowPage()
    {
        m_tab->Init();
        ClearRequests();
        m_tab->SelectTab(CGeneralPage::kPageIndex);
    }
    // Reads again with the replies of the given second letters replaced.
    void ReadWith(std::map<char, std::string> replies)
    {
        m_script = [replies](const std::string& request) {
            const auto found = replies.find(request[4]);
            return found != replies.end() ? found->second : std::string();
        };
        Page()->GiveFocus();
    }
    // Runs `onOpen` on the clock dialog once it is open.
    void WhenClockDialogOpens(std::function<void(CClockDlg&)> onOpen)
    {
        auto* poll = new QTimer(Page());
        QObject::connect(poll, &QTimer::timeout, poll, [poll, onOpen] {
            if (auto* dialog = qobject_cast<CClockDlg*>(QApplication::activeModalWidget())) {
                delete poll;
                onOpen(*dialog);
            }
        });
        poll->start(10);
    }

    CMessageBoxRecorder m_boxes;
};

} // namespace

TEST_F(GeneralPageTest, FocusReadsTheFiveItemsThenTheClockTicksWithA9AloneAndLeavesTypingAlone)
{
    ShowPage();
    EXPECT_EQ(Requests(), ReadSequence());
    const QStringList fields{Field(kProgramName), Field(kId), Field(kPhone), Field(kClock)};
    EXPECT_EQ(fields, (QStringList{"VELORSIM-L 3.20", "00000001", "01012345678", "25-01-01 08:00:00"}));

    ClearRequests();
    DialogDriver::Type(Page(), kId, "42");
    std::atomic<int> ticks = 0;
    m_script = [&ticks](const std::string&) { return Reply('9', "25010108000" + std::to_string(++ticks)); };
    RunUntilRequests(2);
    EXPECT_TRUE(RunEventLoopUntil([this] { return Field(kClock) != "25-01-01 08:00:00"; }));
    for (const std::string& frame : Requests())
        EXPECT_EQ(frame, Command('A', '9'));
    EXPECT_EQ(Field(kId), "42");

    m_tab->SelectTab(0);
    EXPECT_FALSE(Page()->IsTimer1Active());
}

// Each item's length rule; text from the controller is GBK.
TEST_F(GeneralPageTest, RepliesAreCutToTheirItemsAndDecodedFromGbk)
{
    ShowPage();
    ReadWith({{'B', Reply('B', "ABCDEFGHIJKLMNOPQ")},
              {'2', Reply('2', "12345678\r")},
              {'7', Reply('7', "\xB5\xE7\xBB\xB0" "0123456789ABC")},
              {'A', Reply('A', "1027")}});
    EXPECT_EQ(Field(kProgramName), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(Field(kId), "12345678");
    EXPECT_EQ(Field(kPhone), "电话012345678");
    EXPECT_EQ(Field(kRunCount), "10000");

    ReadWith({{'2', Reply('2', "123456789")}});
    EXPECT_EQ(Field(kId), "123456789");
    // Leading CRs go; a short ID without CR keeps the checksum and ETX out.
    ReadWith({{'2', Reply('2', "\r\r77\r1")}});
    EXPECT_EQ(Field(kId), "77");
    ReadWith({{'2', Reply('2', "12345")}});
    EXPECT_EQ(Field(kId), "12345");
    // A clock reply without twelve digits leaves the clock as it was.
    ReadWith({{'9', Reply('9', "0506")}});
    EXPECT_EQ(Field(kClock), "25-01-01 08:00:00");
    // Bytes the same read brought after the frame (the start of a fault
    // report) are no part of the item.
    ReadWith({{'2', Reply('2', "12") + "\x02" "FFE1"}, {'7', Reply('7', "555") + "\x02" "FFE1"}});
    EXPECT_EQ(Field(kId), "12");
    EXPECT_EQ(Field(kPhone), "555");
    // Replies that carry no data leave every item as it was.
    const QStringList shown{Field(kProgramName), Field(kId), Field(kPhone), Field(kRunCount), Field(kClock)};
    ReadWith({{'B', Reply('B', "")}, {'2', Reply('2', "")}, {'7', Reply('7', "")}, {'A', Reply('A', "")},
              {'9', Reply('9', "")}});
    EXPECT_EQ((QStringList{Field(kProgramName), Field(kId), Field(kPhone), Field(kRunCount), Field(kClock)}), shown);
    EXPECT_EQ(m_boxes.Count(), 0);
}

// The ID edit takes as much as the controller keeps: 9 GBK bytes, so four
// Chinese characters and one more ASCII one.
TEST_F(GeneralPageTest, IdEditTakesNineGbkBytes)
{
    ShowPage();
    auto* edit = Control<QLineEdit>(Page(), kId);
    edit->clear();
    for (const QChar typed : QString("电梯一二三四12"))
        edit->insert(typed);
    EXPECT_EQ(edit->text(), "电梯一二1");
    edit->clear();
    edit->insert("电梯一二三"); // pasted whole or not at all
    EXPECT_EQ(edit->text(), "");
}

TEST_F(GeneralPageTest, ProgramNameFailingTwiceStopsTheReadWithOneMessageAndNoClock)
{
    ShowPage();
    ClearRequests();
    m_sim->Misbehaviour().badChecksumFraction = 1.0;
    Page()->GiveFocus();
    Run(CTimeScale::ReplyMs(1200)); // longer than the clock's tick
    EXPECT_EQ(Requests(), (std::vector<std::string>{Command('A', 'B'), Command('A', 'B')}));
    EXPECT_EQ(m_boxes.Texts(), QStringList{"通讯失败,请刷新!"});
    EXPECT_EQ(Field(kId), "00000001");
}

// OK unchanged sends the same twelve digits; a pre-read with other letters
// opens no dialog and sends nothing but the read that follows.
TEST_F(GeneralPageTest, ClockDialogGetsTheControllersClockAndOkSendsItBackAsTwelveDigits)
{
    ShowPage();
    m_sim->MainBoard().Clock().Set("050628143005");
    std::vector<unsigned> shown;
    WhenClockDialogOpens([&shown](CClockDlg& dialog) {
        shown = {dialog.m_nYear, dialog.m_nMonth, dialog.m_nDay, dialog.m_nHour, dialog.m_nMinute, dialog.m_nSecond};
        DialogDriver::Click(&dialog, 1);
    });
    ClearRequests();
    Page()->OnKillFocus(); // no clock tick among the frames compared below
    Click(1011);
    EXPECT_EQ(shown, (std::vector<unsigned>{5, 6, 28, 14, 30, 5}));
    std::vector<std::string> expected{Command('A', '9'), Command('F', '9', "050628143005")};
    for (const std::string& frame : ReadSequence())
        expected.push_back(frame);
    EXPECT_EQ(Requests(), expected);
    EXPECT_EQ(Field(kClock), "05-06-28 14:30:05");

    m_script = [](const std::string& request) { return request[4] == '9' ? Reply('A', "050628143005") : ""; };
    bool opened = false;
    WhenClockDialogOpens([&opened](CClockDlg& dialog) {
        opened = true;
        DialogDriver::Click(&dialog, 2);
    });
    Page()->OnKillFocus();
    Click(1011);
    EXPECT_FALSE(opened);
    EXPECT_EQ(Requests().size(), expected.size() + 6);
}

// ID and run count reset are written without waiting (the program name may
// then be asked twice, its first reply taken by their answer); the telephone
// number waits for its acknowledgement. Each reads everything again.
TEST_F(GeneralPageTest, SettingIdTelephoneAndResettingRunCountSendTheirFramesAndReadAgain)
{
    m_boxes.SetAnswer(IDYES);
    ShowPage();
    // The clock's poll is stopped while the telephone number is set: a late
    // tick's A9 reply would be taken for the answer to F2.
    QStringList ticking;
    m_boxes.SetOnShow([&](const MessageBoxCall& call) {
        if (call.text.startsWith("电话号码"))
            ticking << QString::number(Page()->IsTimer1Active());
    });
    ClearRequests();
    DialogDriver::Type(Page(), kId, "A12");
    Click(1002);
    DialogDriver::Type(Page(), kPhone, "13900001111");
    Click(1004);
    Click(1008);
    std::vector<std::string> expected;
    const std::string commands[] = {Command('F', '1', "A12\r"), Command('F', '2', "13900001111\r"),
                                    Command('F', 'R', "1")};
    for (const std::string& command : commands) {
        expected.push_back(command);
        for (const std::string& frame : ReadSequence())
            expected.push_back(frame);
    }
    std::vector<std::string> sent = Requests();
    const auto repeatedName = [](const std::string& a, const std::string& b) {
        return a == b && a == Command('A', 'B');
    };
    sent.erase(std::unique(sent.begin(), sent.end(), repeatedName), sent.end());
    EXPECT_EQ(sent, expected);
    EXPECT_EQ((QStringList{Field(kId), Field(kPhone), Field(kRunCount)}), (QStringList{"A12", "13900001111", "0"}));

    m_sim->Misbehaviour().refuseWrites = true;
    Click(1004);
    m_sim->Misbehaviour().refuseWrites = false;
    m_script = [](const std::string& request) {
        return request[3] == 'F' ? CSimReply('F', '2').AddText("0F").Frame() : "";
    };
    Click(1004);
    const QString ask = "复位将把控制器的运行次数清零。\n确定要复位吗？";
    EXPECT_EQ(m_boxes.Texts(), (QStringList{"电话号码修改成功", ask, "电话号码修改失败", "电话号码修改失败"}));
    EXPECT_EQ(ticking, (QStringList{"0", "0", "0"}));

    m_boxes.SetAnswer(IDNO);
    ClearRequests();
    Click(1008);
    EXPECT_TRUE(Requests().empty()) << "No sends nothing";
}

// The ID, the run count reset and the clock go out without their reply being
// read; the read that follows names the one that did not take. The late reply
// of the ID or reset lands in the program name's read and is passed over
// there: no request goes out twice.
TEST_F(GeneralPageTest, WriteSentWithoutItsReplyIsCheckedByTheReadThatFollows)
{
    struct Case
    {
        const char* name;
        std::function<void()> act;
        size_t frames; // the action's own, before the read
        bool refused;
        QStringList boxes;
    };
    int step = 0; // each row writes a value the controller does not hold yet
    const auto setId = [this, &step] {
        DialogDriver::Type(Page(), kId, QString("B%1").arg(step));
        Click(1002);
    };
    const auto resetRunCount = [this] { Click(1008); };
    const auto setClock = [this, &step] {
        WhenClockDialogOpens([&step](CClockDlg& dialog) {
            DialogDriver::Type(&dialog, 1002, QString::number(10 + step)); // the hour
            DialogDriver::Click(&dialog, 1);
        });
        Click(1011);
    };
    const Case cases[] = {
        {"ID taken", setId, 1, false, {}},
        {"ID refused", setId, 1, true, {"电梯ID未生效"}},
        {"run count reset", resetRunCount, 1, false, {}},
        {"run count reset refused", resetRunCount, 1, true, {"运行次数复位未生效"}},
        {"clock taken", setClock, 2, false, {}},
        {"clock refused", setClock, 2, true, {"时钟设置未生效"}},
    };
    m_boxes.SetAnswer(IDYES);
    ShowPage();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ++step;
        m_sim->MainBoard().Car().RegisterCall(CSimCar::CarCall, 2 + step); // a run since the last reset
        for (int tick = 0; tick < 600; ++tick)
            m_sim->Tick(100);
        m_sim->Misbehaviour().refuseWrites = c.refused;
        m_boxes.Clear();
        Page()->OnKillFocus(); // no clock tick among the frames compared below
        ClearRequests();
        c.act();
        QStringList shown = m_boxes.Texts();
        shown.removeAll("复位将把控制器的运行次数清零。\n确定要复位吗？");
        EXPECT_EQ(shown, c.boxes);
        const std::vector<std::string> sent = Requests();
        ASSERT_EQ(sent.size(), c.frames + ReadSequence().size());
        EXPECT_EQ(std::vector<std::string>(sent.begin() + c.frames, sent.end()), ReadSequence());
    }
    m_sim->Misbehaviour().refuseWrites = false;
}

// The identity read is no operation that can be stopped: Escape at any point
// of it is dropped, every item is read, no failure is claimed and the clock
// ticks on afterwards.
TEST_F(GeneralPageTest, EscapeDuringTheIdentityReadStopsNothing)
{
    ShowPage();
    for (const size_t atRequest : {size_t(1), size_t(3), size_t(5)}) {
        ClearRequests();
        m_boxes.Clear();
        QTimer poll;
        bool pressed = false;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (pressed || Requests().size() < atRequest)
                return;
            pressed = true;
            QTest::keyClick(Control<QWidget>(Page(), kId), Qt::Key_Escape);
        });
        poll.start(1);
        Page()->GiveFocus();
        poll.stop();
        EXPECT_TRUE(pressed) << atRequest;
        EXPECT_EQ(Requests(), ReadSequence()) << atRequest;
        EXPECT_TRUE(m_boxes.Texts().isEmpty()) << atRequest;
        EXPECT_TRUE(Page()->IsTimer1Active()) << atRequest;
    }
}
