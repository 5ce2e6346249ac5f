// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainDlg.h"

#include "ui/Page.h"
#include "app/PageTab.h"
#include "app/ServiceApp.h"
#include "app/TrafficWindow.h"
#include "link/BusyScope.h"
#include "link/Cancel.h"
#include "link/Exchange.h"
#include "link/FrameBuffer.h"
#include "link/PortChannel.h"
#include "link/TimeScale.h"
#include "settings/PortSetupDlg.h"
#include "settings/SettingsStore.h"
#include "tests/MessageBoxRecorder.h"
#include "tests/TestPeer.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A page that counts the replies it is handed and the focus it gets.
class CSpyPage : public CPage
{
public:
    explicit CSpyPage(QWidget* parent) : CPage(0, parent) {}
    void OnSetFocus() override { ++focusCount; }
    void OnReplyReady() override { replies.push_back(g_reply.Data()); }
    int focusCount = 0;
    std::vector<std::string> replies;
};

void StoreSettings(const QString& comwhole, const QString& baud, const QString& doorBaud)
{
    CSettingsStore store(HKEY_CURRENT_USER);
    store.CreateKey("Software\\VELORCOM");
    store.WriteString("comwhole", comwhole);
    store.WriteString("combaud", baud);
    store.WriteString("comdoorbaud", doorBaud);
    store.WriteString("specialcode", "E");
}

// Closes the next modal dialog as soon as it runs and remembers which one it was.
class CModalCloser
{
public:
    CModalCloser()
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                if (qobject_cast<CPortSetupDlg*>(modal))
                    ++settingsDialogs;
                static_cast<QDialog*>(modal)->reject();
            }
        });
        m_timer.start();
    }
    int settingsDialogs = 0;

private:
    QTimer m_timer;
};

class MainDlgTest : public ::testing::Test
{
protected:
    MainDlgTest()
    {
        CPageTab::SetPageFactory([this](int, QWidget* parent) {
            auto* page = new CSpyPage(parent);
            pages.push_back(page);
            return page;
        });
    }
    ~MainDlgTest() override
    {
        CPageTab::SetPageFactory({});
        g_specialCode = 0;
    }

    void FeedBytes(CMainDlg& dialog, const std::string& bytes)
    {
        for (unsigned char c : bytes)
            dialog.OnCommRxChar(c, 1);
    }

    CTestPeer peer;
    CMessageBoxRecorder boxes;
    std::vector<CSpyPage*> pages;
};

TEST_F(MainDlgTest, StartUpWithoutSettingsShowsSettingsDialogAndNoPages)
{
    CModalCloser closer;
    CMainDlg dialog;
    dialog.OnInitDialog();
    EXPECT_EQ(closer.settingsDialogs, 1);
    EXPECT_EQ(dialog.PageTab()->TabCount(), 0);
    EXPECT_FALSE(g_port.IsOpen());
    EXPECT_EQ(boxes.Count(), 0) << "a missing key is not reported";
}

// A special code that is missing or not one printable character would cut
// every request short: the start goes to the serial settings dialog as on the
// first run, which shows "E" and stores it on OK.
TEST_F(MainDlgTest, UnusableSpecialCodeStartsAsTheFirstRunAndOkRepairsIt)
{
    for (const QString& code : {QString("<missing>"), QString(""), QString("EE"), QString("\x01"), QString("é")}) {
        StoreSettings("1N81", "9600", "38400");
        CSettingsStore store(HKEY_CURRENT_USER);
        store.OpenKey("Software\\VELORCOM");
        if (code == "<missing>")
            QFile::remove(store.KeyFolder() + "/specialcode");
        else
            store.WriteString("specialcode", code);

        QString shown = "<no dialog>";
        QTimer accept;
        accept.setInterval(10);
        QObject::connect(&accept, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<CPortSetupDlg*>(QApplication::activeModalWidget())) {
                shown = dialog->m_cbSpecialCode->currentText();
                dialog->findChild<QPushButton*>("ctl1")->click();
            }
        });
        accept.start();
        CMainDlg dialog;
        dialog.OnInitDialog();
        accept.stop();

        EXPECT_EQ(shown, "E") << code.toStdString();
        EXPECT_EQ(dialog.PageTab()->TabCount(), 0) << code.toStdString();
        EXPECT_FALSE(g_port.IsOpen()) << code.toStdString();
        QString stored;
        store.ReadString("specialcode", stored);
        EXPECT_EQ(stored, "E") << code.toStdString();
    }
}

// Settings that cannot be read are named before the first-run dialog; values
// that cannot be saved are named once, without the restart request.
TEST_F(MainDlgTest, UnreadableAndUnsavableSettingsAreNamedWithTheReason)
{
    const QString key = CSettingsStore::RootFolder() + "/Software/VELORCOM";
    QDir().mkpath(CSettingsStore::RootFolder() + "/Software");
    QFile blocker(key);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    {
        CModalCloser closer;
        CMainDlg dialog;
        dialog.OnInitDialog();
        ASSERT_EQ(boxes.Count(), 1);
        EXPECT_TRUE(boxes.Calls()[0].text.contains(key)) << boxes.Calls()[0].text.toStdString();
        EXPECT_EQ(closer.settingsDialogs, 1);
    }

    QFile::remove(key);
    StoreSettings("1N81", "9600", "38400");
    QFile::remove(key + "/combaud");
    ASSERT_TRUE(QDir().mkpath(key + "/combaud/in the way"));
    boxes.Clear();
    CPortSetupDlg setup;
    setup.show();
    setup.findChild<QPushButton*>("ctl1")->click();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_TRUE(boxes.Calls()[0].text.contains(key)) << boxes.Calls()[0].text.toStdString();
    EXPECT_TRUE(boxes.Calls()[0].text.contains("combaud")) << boxes.Calls()[0].text.toStdString();
}

TEST_F(MainDlgTest, StartUpWithSettingsOpensPortAndShowsSevenTabs)
{
    StoreSettings("1N81", "9600", "38400");
    CMainDlg dialog;
    dialog.OnInitDialog();
    CPageTab* tab = dialog.PageTab();
    ASSERT_EQ(tab->TabCount(), 7);
    const QStringList texts = {"电梯状态", "一般参数", "井道数据", "I/O状态", "故障代码", "电梯参数", "门机参数"};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(tab->TabText(i), texts[i]);
        EXPECT_TRUE(tab->rect().contains(tab->TabRect(i))) << "every tab stays visible: " << i;
        EXPECT_GE(tab->TabRect(i).width(), tab->fontMetrics().horizontalAdvance(texts[i])) << i;
    }
    EXPECT_TRUE(g_port.IsOpen());
    EXPECT_EQ(peer.Baud(), 9600);
    EXPECT_EQ(g_specialCode, 'E');
    ASSERT_EQ(pages.size(), 7u);
    EXPECT_EQ(pages[0]->focusCount, 1) << "page 0 gets the focus at start";
    EXPECT_TRUE(pages[0]->isVisibleTo(tab));
    EXPECT_FALSE(pages[1]->isVisibleTo(tab));
}

TEST_F(MainDlgTest, PortThatCannotOpenIsReportedWithItsReasonThenSettings)
{
    StoreSettings("5N81", "9600", "38400"); // no COM5 link and no /dev/ttyS4 device node usable
    CModalCloser closer;
    CMainDlg dialog;
    dialog.OnInitDialog();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].text, "串口初始化失败，请重新设置");
    EXPECT_TRUE(boxes.Calls()[0].details.contains(g_port.LastOpenDevice())) << boxes.Calls()[0].details.toStdString();
    EXPECT_TRUE(boxes.Calls()[0].details.contains("串口设置")) << "the details say where the device is chosen";
    EXPECT_EQ(closer.settingsDialogs, 1);
    EXPECT_EQ(dialog.PageTab()->TabCount(), 0);
}

TEST_F(MainDlgTest, PortLinkToAFileIsReportedAsNoSerialDevice)
{
    StoreSettings("3N81", "9600", "38400");
    const QString link = peer.ConfigHome() + "/velor/ports/COM3";
    ASSERT_TRUE(QFile::link(CSettingsStore::RootFolder() + "/Software/VELORCOM/combaud", link));
    CModalCloser closer;
    CMainDlg dialog;
    dialog.OnInitDialog();
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_TRUE(boxes.Calls()[0].details.contains(link + "：这不是串口设备")) << boxes.Calls()[0].details.toStdString();
    EXPECT_EQ(closer.settingsDialogs, 1);
}

TEST_F(MainDlgTest, FrameAssemblyPassesWholeFramesToTheShownPage)
{
    StoreSettings("1N81", "9600", "38400");
    CMainDlg dialog;
    dialog.OnInitDialog();
    ASSERT_EQ(pages.size(), 7u);

    const std::string frame = CTestPeer::Frame("FFA4123456789A");
    FeedBytes(dialog, "garbage\x03" "more");
    FeedBytes(dialog, "\x02" "FFA3 open frame replaced by the next STX");
    FeedBytes(dialog, frame + "trailing");
    ASSERT_EQ(pages[0]->replies.size(), 1u);
    EXPECT_EQ(pages[0]->replies[0], frame);

    // A frame that outgrows the assembly buffer is dropped.
    FeedBytes(dialog, "\x02" + std::string(2000, 'x') + "\x03");
    EXPECT_EQ(pages[0]->replies.size(), 1u);
    FeedBytes(dialog, frame);
    EXPECT_EQ(pages[0]->replies.size(), 2u);

    // Line noise: a NUL spoils its frame, and a frame too short for its two
    // letters answers nothing (a page would test an older reply's letters).
    FeedBytes(dialog, std::string("\x02" "FFA4\0" "12\x03", 10));
    FeedBytes(dialog, "\x02" "FF\x03");
    EXPECT_EQ(pages[0]->replies.size(), 2u);
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(MainDlgTest, FaultReportShowsCodeThenAnswersWithF6)
{
    StoreSettings("1N81", "9600", "38400");
    CMainDlg dialog;
    dialog.OnInitDialog();
    peer.ClearRequests();

    size_t requestsWhileBoxOpen = 99;
    boxes.SetOnShow([&](const MessageBoxCall&) { requestsWhileBoxOpen = peer.Requests().size(); });
    // The fault code stands at positions 14 and 15.
    peer.Send(CTestPeer::Frame("FFE6" + std::string(9, '0') + "23XX"));
    // The monitor thread hands the bytes over through the event loop.
    EXPECT_TRUE(QTest::qWaitFor([&] { return boxes.Count() > 0; }, 3000));

    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].text, "故障码: 23");
    EXPECT_EQ(requestsWhileBoxOpen, 0u) << "F6 goes out only after the box is closed";
    ASSERT_TRUE(peer.WaitForRequests(1));
    EXPECT_EQ(peer.Requests()[0].substr(3, 2), "F6");
    EXPECT_TRUE(pages[0]->replies.empty()) << "a fault report is not a page's reply";
}

// A report whose code would fall on its checksum or beyond is dropped: no box
// (which would hold up every later frame), no F6; the next frames still arrive.
TEST_F(MainDlgTest, FaultReportTooShortForItsCodeIsDropped)
{
    StoreSettings("1N81", "9600", "38400");
    CMainDlg dialog;
    dialog.OnInitDialog();
    FeedBytes(dialog, CTestPeer::Frame("FFE6" + std::string(9, '0') + "23XX")); // leaves "23" in g_reply
    ASSERT_TRUE(peer.WaitForRequests(1)) << "F6 for the whole report";
    boxes.Clear();
    peer.ClearRequests();

    FeedBytes(dialog, CTestPeer::Frame("FFER"));
    FeedBytes(dialog, CTestPeer::Frame("FFE6" + std::string(9, '0') + "XX"));
    EXPECT_EQ(boxes.Count(), 0);
    FeedBytes(dialog, CTestPeer::Frame("FFA4123456789A"));
    EXPECT_EQ(pages[0]->replies.size(), 1u);
    EXPECT_FALSE(peer.WaitForRequests(1, 200)) << "no F6 for a dropped report";
}

TEST_F(MainDlgTest, DoorPageMovesPortToDoorRateAndBack)
{
    StoreSettings("1N81", "9600", "38400");
    CMainDlg dialog;
    dialog.OnInitDialog();
    CPageTab* tab = dialog.PageTab();

    tab->SelectTab(3);
    EXPECT_EQ(peer.Baud(), 9600);
    EXPECT_FALSE(tab->DoorBaud());

    tab->SelectTab(6);
    EXPECT_EQ(peer.Baud(), 38400);
    EXPECT_TRUE(tab->DoorBaud());
    EXPECT_TRUE(g_port.IsOpen());
    EXPECT_EQ(pages[6]->focusCount, 1);

    tab->SelectTab(6);
    EXPECT_EQ(pages[6]->focusCount, 1) << "selecting the shown tab changes nothing";

    tab->SelectTab(0);
    EXPECT_EQ(peer.Baud(), 9600);
    EXPECT_FALSE(tab->DoorBaud());
    EXPECT_EQ(tab->m_curPage, 0);
    EXPECT_EQ(pages[0]->focusCount, 2);
}

TEST_F(MainDlgTest, KeyboardSwitchesPagesThroughTheSameSwitch)
{
    StoreSettings("1N81", "9600", "38400");
    CMainDlg dialog;
    dialog.OnInitDialog();
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    CPageTab* tab = dialog.PageTab();

    QTest::keyClick(&dialog, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tab->m_curPage, 1);
    QTest::keyClick(&dialog, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(tab->m_curPage, 2);
    QTest::keyClick(&dialog, Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(&dialog, Qt::Key_PageUp, Qt::ControlModifier);
    QTest::keyClick(&dialog, Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(tab->m_curPage, 6) << "wraps round to the door machine page";
    EXPECT_EQ(peer.Baud(), 38400) << "with the port switch a click makes";

    // Escape belongs to the dialogs: on the main window it closes nothing.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
}

// During an operation the traffic window opens at once from its shortcut,
// and closing the window stops the operation at its next exchange boundary
// and then closes.
TEST_F(MainDlgTest, TrafficShortcutAndCloseAnswerDuringAnOperation)
{
    StoreSettings("1N81", "9600", "38400");
    CMainDlg dialog;
    dialog.OnInitDialog();
    dialog.show();
    bool trafficDuringOperation = false;
    QTimer::singleShot(CTimeScale::Ms(100), &dialog, [&] {
        QTest::keyClick(&dialog, Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
        trafficDuringOperation = g_port.m_busy && dialog.TrafficWindow() && dialog.TrafficWindow()->isVisible();
        dialog.close();
    });
    int exchanges = 0;
    {
        const CBusyScope operation;
        const CExchange::Request silentRead{.build = [] { g_request.BuildCommand(kControllerAddress, 'A', '2'); }};
        for (; exchanges < 20 && !CCancel::Requested(); ++exchanges)
            CExchange::Run(silentRead);
    }
    EXPECT_TRUE(trafficDuringOperation);
    EXPECT_LE(exchanges, 2) << "the exchange in flight, and none after it";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 2000)) << "closed once the port is free";
}

} // namespace
