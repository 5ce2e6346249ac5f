#include "pages/GeneralPage.h"

#include "app/TemplateLoader.h"
#include "dialogs/ClockDlg.h"
#include "sim/SimReply.h"
#include "tests/DialogDriver.h"
#include "tests/LivePageRig.h"
#include "tests/MessageBoxRecorder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <atomic>
#include <optional>

namespace {

enum FieldId { kId = 1001, kPhone = 1003, kRunCount = 1007, kProgramName = 1009, kClock = 1053 };

std::string Command(char letter2)
{
    CFrameBuffer frame;
    frame.BuildCommand(255, 'A', letter2);
    return frame.Data();
}

std::string TextCommand(char letter1, char letter2, const char* text)
{
    CFrameBuffer frame;
    frame.BuildTextArg(255, letter1, letter2, text);
    return frame.Data();
}

std::string Reply(char letter2, const std::string& data)
{
    return CSimReply('A', letter2).AddText(data).Frame();
}

std::vector<std::string> ReadSequence()
{
    return {Command('B'), Command('2'), Command('7'), Command('A'), Command('9')};
}

class GeneralPageTest : public LivePageRig
{
protected:
    CGeneralPage* Page() const { return static_cast<CGeneralPage*>(m_tab->Page(CGeneralPage::kPageIndex)); }
    QString Field(int id) const
    {
        if (id == kClock)
            return Control<QLabel>(Page(), id)->text();
        return Control<QLineEdit>(Page(), id)->text();
    }
    void Type(int id, const QString& text) { Control<QLineEdit>(Page(), id)->setText(text); }
    void Click(int id) { Control<QPushButton>(Page(), id)->click(); }

    // Starts the pages and selects the general page, which reads everything.
    void ShowPage()
    {
        m_tab->Init();
        ClearRequests();
        m_tab->SelectTab(CGeneralPage::kPageIndex);
    }
    // Reads again with the replies of the given letters replaced.
    void ReadWith(std::map<char, std::string> replies)
    {
        m_script = [replies](const std::string& request) {
            const auto found = replies.find(request[4]);
            return request[3] == 'A' && found != replies.end() ? found->second : std::string();
        };
        Page()->GiveFocus();
    }

    // Runs `onOpen` on the clock dialog once it is open.
    void WhenClockDialogOpens(std::function<void(CClockDlg&)> onOpen)
    {
        auto* poll = new QTimer(Page());
        QObject::connect(poll, &QTimer::timeout, poll, [poll, onOpen] {
            if (auto* dialog = qobject_cast<CClockDlg*>(QApplication::activeModalWidget())) {
                poll->deleteLater();
                poll->stop();
                onOpen(*dialog);
            }
        });
        poll->start(10);
    }

    static std::vector<std::string> RequestsWithout(char letter2)
    {
        std::vector<std::string> frames;
        for (const std::string& frame : Requests())
            if (frame != Command(letter2))
                frames.push_back(frame);
        return frames;
    }

    CMessageBoxRecorder m_boxes;
};

} // namespace

// Also the measured figure: the first read's duration against its designed time.
TEST_F(GeneralPageTest, FocusReadsTheFiveItemsThenTheClockTicksWithA9AloneAndLeavesTypingAlone)
{
    QElapsedTimer clock;
    clock.start();
    ShowPage();
    printf("first read: %lld ms, designed %d ms\n", clock.elapsed(), 5 * 130);
    EXPECT_EQ(Requests(), ReadSequence());
    EXPECT_EQ(Field(kProgramName), "VELORSIM-L 3.20");
    EXPECT_EQ(Field(kId), "00000001");
    EXPECT_EQ(Field(kPhone), "01012345678");
    EXPECT_EQ(Field(kRunCount), QString::number(m_sim->MainBoard().Car().RunCount()));
    EXPECT_EQ(Field(kClock), "25-01-01 08:00:00");
    EXPECT_TRUE(Page()->IsTimer1Active());

    ClearRequests();
    Type(kId, "42");
    std::atomic<int> ticks = 0;
    m_script = [&ticks](const std::string& request) {
        return request == Command('9') ? Reply('9', "25010108000" + std::to_string(++ticks)) : "";
    };
    Run(2300);
    EXPECT_EQ(Requests(), (std::vector<std::string>{Command('9'), Command('9')}));
    EXPECT_EQ(Field(kClock), "25-01-01 08:00:02");
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
              {'A', CSimReply('A', 'A').AddText("1027").Frame()}});
    EXPECT_EQ(Field(kProgramName), "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(Field(kId), "12345678");
    EXPECT_EQ(Field(kPhone), "电话012345678");
    EXPECT_EQ(Field(kRunCount), "10000");

    ReadWith({{'B', Reply('B', "\xCB\xD9\xB6\xC8")}, {'2', Reply('2', "123456789")}});
    EXPECT_EQ(Field(kProgramName), "速度");
    EXPECT_EQ(Field(kId), "123456789");

    // Leading CRs go; a short ID without CR keeps the checksum and ETX out.
    ReadWith({{'2', Reply('2', "\r\r77\r1")}});
    EXPECT_EQ(Field(kId), "77");
    ReadWith({{'2', Reply('2', "12345")}});
    EXPECT_EQ(Field(kId), "12345");

    // A clock reply without twelve digits leaves the clock as it was.
    ReadWith({{'9', Reply('9', "0506")}});
    EXPECT_EQ(Field(kClock), "25-01-01 08:00:00");
    EXPECT_EQ(m_boxes.Count(), 0);
}

// Nothing after the program name is read, the message comes once, no tick
// follows until the next focus.
TEST_F(GeneralPageTest, ProgramNameFailingTwiceStopsTheReadWithOneMessageAndNoClock)
{
    ShowPage();
    ClearRequests();
    m_sim->Misbehaviour().badChecksumFraction = 1.0;
    Page()->GiveFocus();
    EXPECT_EQ(Requests(), (std::vector<std::string>{Command('B'), Command('B')}));
    EXPECT_EQ(m_boxes.Texts(), QStringList{"通讯失败,请刷新!"});
    EXPECT_FALSE(Page()->IsTimer1Active());
    EXPECT_EQ(Field(kId), "00000001");
    Run(1200);
    EXPECT_EQ(Requests().size(), 2u);
}

// The dialog opens with the controller's clock; OK unchanged sends the same
// twelve digits; Cancel, or a pre-read with other letters, sends nothing.
TEST_F(GeneralPageTest, ClockDialogGetsTheControllersClockAndOkSendsItBackAsTwelveDigits)
{
    ShowPage();
    m_sim->MainBoard().Clock().Set("050628143005");
    ReadWith({});
    EXPECT_EQ(Field(kClock), "05-06-28 14:30:05");

    std::vector<unsigned> shown;
    WhenClockDialogOpens([&shown](CClockDlg& dialog) {
        shown = {dialog.m_nYear, dialog.m_nMonth, dialog.m_nDay, dialog.m_nHour, dialog.m_nMinute, dialog.m_nSecond};
        DialogDriver::Click(&dialog, 1);
    });
    ClearRequests();
    Click(1011);
    EXPECT_EQ(shown, (std::vector<unsigned>{5, 6, 28, 14, 30, 5}));
    std::vector<std::string> expected{Command('9'), TextCommand('F', '9', "050628143005")};
    for (const std::string& frame : ReadSequence())
        expected.push_back(frame);
    EXPECT_EQ(Requests(), expected);

    WhenClockDialogOpens([](CClockDlg& dialog) {
        DialogDriver::Type(&dialog, 1001, "26");
        DialogDriver::Click(&dialog, 2);
    });
    Click(1011);
    m_script = [](const std::string& request) { return request == Command('9') ? Reply('A', "050628143005") : ""; };
    bool opened = false;
    WhenClockDialogOpens([&opened](CClockDlg& dialog) {
        opened = true;
        DialogDriver::Click(&dialog, 2);
    });
    Click(1011);
    EXPECT_FALSE(opened);
    EXPECT_EQ(RequestsWithout('9').size(), expected.size() - 2 + 2 * 4);
    EXPECT_EQ(m_sim->MainBoard().Clock().Text(), "050628143005");
}

// ID and run count reset are written without waiting; the telephone number
// waits for its acknowledgement and says how it went. Each reads everything
// again; the answer to a command not waited for may take the place of the
// first program name reply, which is then asked twice.
TEST_F(GeneralPageTest, SettingIdTelephoneAndResettingRunCountSendTheirFramesAndReadAgain)
{
    ShowPage();
    ClearRequests();
    Type(kId, "A12");
    Click(1002);
    Type(kPhone, "13900001111");
    Click(1004);
    Click(1008);
    CFrameBuffer reset;
    reset.BuildCharArg(255, 'F', 'R', '1');
    const std::vector<std::string> commands{TextCommand('F', '1', "A12\r"), TextCommand('F', '2', "13900001111\r"),
                                            reset.Data()};
    std::vector<std::string> expected;
    for (const std::string& command : commands) {
        expected.push_back(command);
        for (const std::string& frame : ReadSequence())
            expected.push_back(frame);
    }
    std::vector<std::string> sent = Requests();
    sent.erase(std::unique(sent.begin(), sent.end(), [](const std::string& a, const std::string& b) {
                   return a == b && a == Command('B');
               }),
               sent.end());
    EXPECT_EQ(sent, expected);
    EXPECT_EQ(Field(kId), "A12");
    EXPECT_EQ(Field(kPhone), "13900001111");
    EXPECT_EQ(Field(kRunCount), "0");

    m_sim->Misbehaviour().refuseWrites = true;
    Click(1004);
    m_sim->Misbehaviour().refuseWrites = false;
    m_script = [](const std::string& request) {
        return request[3] == 'F' ? CSimReply('F', '2').AddChar('0').AddChar('F').Frame() : "";
    };
    Click(1004);
    EXPECT_EQ(m_boxes.Texts(), (QStringList{"电话号码修改成功", "电话号码修改失败", "电话号码修改失败"}));
}
