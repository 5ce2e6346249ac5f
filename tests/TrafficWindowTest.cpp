// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainDlg.h"
#include "ui/Page.h"
#include "app/PageTab.h"
#include "app/RideWindow.h"
#include "app/RecordWindow.h"
#include "app/TrafficWindow.h"
#include "link/Exchange.h"
#include "link/FrameText.h"
#include "link/LineTap.h"
#include "settings/SettingsStore.h"
#include "link/BusyScope.h"
#include "link/TimeScale.h"
#include "tests/MessageBoxRecorder.h"
#include "tests/ModalActions.h"
#include "tests/TempConfigHome.h"
#include "tests/TestPeer.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TrafficEntry Frame(qint64 time, bool sent, const QByteArray& bytes, int baud = 9600)
{
    return {time, sent, baud, bytes, false};
}

TEST(FrameText, ControlCharactersReadBackAsTheirNames)
{
    EXPECT_EQ(ReadableFrame("\x02" "FFA0E4B\x03"), "<STX>FFA0E4B<ETX>");
    EXPECT_EQ(ReadableFrame("\x02" "FFA5\x04" "12\r\x03"), "<STX>FFA5<EOT>12<CR><ETX>");
    EXPECT_EQ(ReadableFrame(std::string("\x00\x7f\xff~ ", 5)), "<00><7F><FF>~ ");
}

TEST(TrafficLog, DropsTheOldestRowsInOneStepWhenFull)
{
    CTrafficLog log;
    for (int i = 0; i < CTrafficLog::kMaxRows; ++i)
        log.Add(Frame(i, true, "x"));
    ASSERT_EQ(log.rowCount(), CTrafficLog::kMaxRows);
    log.Add(Frame(CTrafficLog::kMaxRows, false, "y"));
    EXPECT_EQ(log.rowCount(), CTrafficLog::kMaxRows - CTrafficLog::kDropRows + 1);
    EXPECT_EQ(log.Entry(0).time, CTrafficLog::kDropRows) << "the oldest rows went";
    EXPECT_EQ(log.Entry(log.rowCount() - 1).bytes, "y");

    // A batch larger than the log keeps its newest frames.
    std::vector<TrafficEntry> batch;
    for (int i = 0; i < CTrafficLog::kMaxRows + 10; ++i)
        batch.push_back(Frame(i, true, "z"));
    log.Add(std::move(batch));
    EXPECT_EQ(log.rowCount(), CTrafficLog::kMaxRows);
    EXPECT_EQ(log.Entry(0).time, 10);
}

TEST(TrafficLog, RowShowsTimeDirectionBaudReadableFrameAndNote)
{
    CTrafficLog log;
    const qint64 noon = QDateTime(QDate(2026, 1, 2), QTime(12, 0, 1, 7)).toMSecsSinceEpoch();
    log.Add(Frame(noon, true, "\x02" "FFA0E4B\x03"));
    log.Add({noon + 60, false, 38400, "\x02" "FFE10000000000101C\x03", true});
    log.Add(Frame(noon + 1000, false, {}));
    EXPECT_EQ(log.RowText(0), "12:00:01.007\t发送 →\t9600\t\t<STX>FFA0E4B<ETX>");
    EXPECT_EQ(log.RowText(1), "12:00:01.067\t接收 ←\t38400\t主动上报（故障报告）\t<STX>FFE10000000000101C<ETX>");
    EXPECT_EQ(log.Text(2, CTrafficLog::NoteColumn), "无应答");
}

TEST(TrafficWindow, PauseClearAndSave)
{
    CMessageBoxRecorder boxes;
    CTrafficWindow window;
    window.Record(Frame(0, true, "\x02" "A\x03"));
    window.SetPaused(true);
    window.Record(Frame(1, false, "\x02" "B\x03"));
    window.Flush();
    EXPECT_EQ(window.Log()->rowCount(), 1) << "paused, nothing is recorded";
    window.SetPaused(false);
    window.Record(Frame(2, false, "\x02" "C\x03"));

    QTemporaryDir dir;
    const QString path = dir.filePath("traffic.txt");
    ASSERT_TRUE(window.SaveTo(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains("<STX>A<ETX>"));
    EXPECT_TRUE(lines[1].contains("<STX>C<ETX>"));

    EXPECT_FALSE(window.SaveTo(dir.filePath("missing/traffic.txt")));
    EXPECT_EQ(boxes.Count(), 1) << "a failed save is reported";

    for (QPushButton* button : window.findChildren<QPushButton*>())
        if (button->text() == "清除")
            button->click();
    EXPECT_EQ(window.Log()->rowCount(), 0);
}

QStringList FileLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

// The log file: off at start; every frame, paused or not, appended to its
// day's file; it keeps listening while the window is closed; a file that
// cannot be written stops the logging with a message.
TEST(TrafficWindow, FileLogAppendsEveryFrameToItsDaysFile)
{
    const CTempConfigHome dataHome("XDG_DATA_HOME");
    CMessageBoxRecorder boxes;
    CTrafficWindow window;
    auto* box = window.findChild<QCheckBox*>();
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isChecked());
    const qint64 lateEvening = QDateTime(QDate(2026, 3, 1), QTime(23, 59, 59, 900)).toMSecsSinceEpoch();
    window.Record(Frame(lateEvening - 1000, true, "\x02" "X\x03"));
    box->click();
    EXPECT_TRUE(CLineTap::IsListening()) << "logging listens with the window closed";
    window.SetPaused(true);
    window.Record(Frame(lateEvening, true, "\x02" "A\x03"));
    window.Record(Frame(lateEvening + 200, false, "\x02" "B\x03"));
    box->click();
    box->click();
    window.Record(Frame(lateEvening + 300, false, {}));

    const QString folder = dataHome.Path() + "/velor/traffic/";
    EXPECT_EQ(FileLines(folder + "2026-03-01.log"), QStringList({"23:59:59.900\t发送 →\t9600\t\t<STX>A<ETX>"}));
    EXPECT_EQ(FileLines(folder + "2026-03-02.log"),
              QStringList({"00:00:00.100\t接收 ←\t9600\t\t<STX>B<ETX>", "00:00:00.200\t接收 ←\t9600\t无应答\t"}))
        << "turned off and on again, the file is appended to";

    box->click();
    EXPECT_FALSE(CLineTap::IsListening());
    QDir(folder).removeRecursively();
    QFile blocker(dataHome.Path() + "/velor/traffic");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)) << "a file where the folder should be";
    box->click();
    window.Record(Frame(lateEvening, true, "\x02" "C\x03"));
    window.Record(Frame(lateEvening, true, "\x02" "D\x03"));
    EXPECT_EQ(boxes.Count(), 0) << "not from inside the frame's report";
    QTest::qWait(5 * CTrafficWindow::kPortCheckMs);
    EXPECT_EQ(boxes.Count(), 1);
    EXPECT_FALSE(box->isChecked());
    EXPECT_FALSE(window.IsFileLogging());
}

TEST(TrafficWindow, KeepsListeningWhileMinimized)
{
    CTrafficWindow window;
    window.show();
    ASSERT_TRUE(CLineTap::IsListening());
    QHideEvent minimized; // the window system hides a minimized window; it stays visible to Qt
    QApplication::sendEvent(&window, &minimized);
    EXPECT_TRUE(CLineTap::IsListening());
    window.close();
    EXPECT_FALSE(CLineTap::IsListening());
}

// The main window against the test peer: a request and its reply at the main
// board's rate, a fault report and its F6, then a write at the door machine's
// rate after the door machine page moved the port.
class TrafficOnTheLine : public ::testing::Test
{
protected:
    TrafficOnTheLine()
    {
        CPageTab::SetPageFactory([](int, QWidget* parent) { return new CPage(0, parent); });
        CSettingsStore store(HKEY_CURRENT_USER);
        store.CreateKey("Software\\VELORCOM");
        store.WriteString("comwhole", "1N81");
        store.WriteString("combaud", "9600");
        store.WriteString("comdoorbaud", "38400");
        store.WriteString("specialcode", "E");
        peer.SetResponder([](const std::string& request, int) {
            return request.substr(3, 2) == "A4" ? CTestPeer::Frame("FFA4\x04" "12") : std::string();
        });
    }
    ~TrafficOnTheLine() override { CPageTab::SetPageFactory({}); }

    QStringList Rows(const CTrafficLog& log) const
    {
        QStringList rows;
        for (int row = 0; row < log.rowCount(); ++row)
            rows << log.RowText(row).section('\t', 1); // without the time
        return rows;
    }

    CTestPeer peer;
    CMessageBoxRecorder boxes;
};

TEST_F(TrafficOnTheLine, ListsEveryFrameBothWaysWithBaudAndFaultReportsMarked)
{
    CMainDlg dialog;
    dialog.OnInitDialog();
    EXPECT_FALSE(CLineTap::IsListening()) << "nothing listens before the window opens";
    dialog.ShowTrafficWindow();
    ASSERT_TRUE(CLineTap::IsListening());
    CTrafficWindow* window = dialog.TrafficWindow();

    const qint64 before = QDateTime::currentMSecsSinceEpoch();
    EXPECT_TRUE(CExchange::Run({.build = [] { g_request.BuildCommand(kControllerAddress, 'A', '4'); }}));
    peer.Send(CTestPeer::Frame("FFE6" + std::string(9, '0') + "23XX"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.Count() > 0; }, 3000));
    ASSERT_TRUE(peer.WaitForRequests(2));
    dialog.PageTab()->SelectTab(CPageTab::kDoorPage);
    CExchange::Send([] { g_request.BuildCommand(kControllerAddress, 'D', '0'); });

    const QStringList expected = {
        "发送 →\t9600\t\t" + QString::fromStdString(ReadableFrame(peer.Requests()[0])),
        "接收 ←\t9600\t\t<STX>FFA4<EOT>12<ETX>",
        "接收 ←\t9600\t主动上报（故障报告）\t<STX>FFE600000000023XX<ETX>",
        "发送 →\t9600\t\t" + QString::fromStdString(ReadableFrame(peer.Requests()[1])),
    };
    window->Flush();
    QStringList rows = Rows(*window->Log());
    ASSERT_EQ(rows.size(), 5) << rows.join('\n').toStdString();
    EXPECT_EQ(rows.mid(0, 4), expected);
    EXPECT_TRUE(rows[0].contains("<STX>FFA4E")) << "the request as the peer got it";
    EXPECT_TRUE(rows[4].startsWith("发送 →\t38400\t\t<STX>FFD0")) << rows[4].toStdString();
    EXPECT_GE(window->Log()->Entry(0).time, before);

    window->close();
    EXPECT_FALSE(CLineTap::IsListening()) << "a closed window costs nothing";
    CExchange::Send([] { g_request.BuildCommand(kControllerAddress, 'D', '0'); });
    window->Flush();
    EXPECT_EQ(window->Log()->rowCount(), 5);
}

TEST_F(TrafficOnTheLine, OpensByShortcutAndFromTheTabBarsContextMenu)
{
    CMainDlg dialog;
    dialog.OnInitDialog();
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(&dialog, Qt::Key_T, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_NE(dialog.TrafficWindow(), nullptr);
    EXPECT_TRUE(dialog.TrafficWindow()->isVisible());
    dialog.TrafficWindow()->close();
    QTest::keyClick(&dialog, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_NE(dialog.RideWindow(), nullptr);
    EXPECT_TRUE(dialog.RideWindow()->isVisible());
    dialog.RideWindow()->close();
    QTest::keyClick(&dialog, Qt::Key_H, Qt::ControlModifier);
    ASSERT_NE(dialog.RecordWindow(), nullptr);
    EXPECT_TRUE(dialog.RecordWindow()->isVisible());
    dialog.RecordWindow()->close();

    // The menu runs its own loop: its items are read and it is shut from there.
    QStringList items;
    QTimer::singleShot(50, [&] {
        if (QWidget* popup = QApplication::activePopupWidget()) {
            for (QAction* action : popup->actions())
                items << action->text();
            popup->close();
        }
    });
    CPageTab* tab = dialog.PageTab();
    QContextMenuEvent onTab(QContextMenuEvent::Mouse, tab->TabRect(0).center(), tab->mapToGlobal(tab->TabRect(0).center()));
    QApplication::sendEvent(tab, &onTab);
    EXPECT_EQ(items, QStringList({"通讯记录(&T)", "运行曲线(&R)", "维护记录(&H)"}));
}

// 保存 clicked while an exchange waits for its reply (the window stays live
// then) opens its file dialog once the port is free, not inside the wait,
// where the dialog's own loop would hold the exchange and the port; a second
// click meanwhile opens no second dialog.
TEST_F(TrafficOnTheLine, SaveClickedDuringAnExchangeOpensItsDialogAfterIt)
{
    CMainDlg dialog;
    dialog.OnInitDialog();
    dialog.ShowTrafficWindow();
    QPushButton* save = nullptr;
    for (QPushButton* button : dialog.TrafficWindow()->findChildren<QPushButton*>())
        if (button->text() == "保存...")
            save = button;
    ASSERT_NE(save, nullptr);
    std::vector<int> busyAtDialogs;
    CModalActions dialogs;
    for (int i = 0; i < 2; ++i)
        dialogs.Queue([&](QWidget* fileDialog) {
            busyAtDialogs.push_back(g_port.m_busy);
            static_cast<QDialog*>(fileDialog)->reject();
        });
    QTimer::singleShot(CTimeScale::Ms(200), save, [save] {
        save->click();
        save->click();
    });
    bool answered = false;
    {
        const CBusyScope chain;
        answered = CExchange::Run({.build = [] { g_request.BuildCommand(kControllerAddress, 'A', '4'); },
                                   .waitMs = 1000});
    }
    EXPECT_TRUE(answered);
    EXPECT_TRUE(busyAtDialogs.empty()) << "no dialog inside the exchange";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !busyAtDialogs.empty(); }, 3000));
    QTest::qWait(10 * CTrafficWindow::kPortCheckMs);
    EXPECT_EQ(busyAtDialogs, std::vector<int>{0});
    dialogs.DropPending();
}

} // namespace
