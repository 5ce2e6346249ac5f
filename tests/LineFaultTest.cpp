// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DataExchange.h"
#include "ui/ListView.h"
#include "app/MainDlg.h"
#include "app/StatusLine.h"
#include "app/TrafficLog.h"
#include "app/TrafficWindow.h"
#include "link/LineState.h"
#include "pages/PollingPage.h"
#include "app/PageTab.h"
#include "ui/TemplateLoader.h"
#include "dialogs/ClockDlg.h"
#include "link/PortChannel.h"
#include "link/TimeScale.h"
#include "pages/IoPage.h"
#include "ui/LampStatic.h"
#include "params/ParamListPage.h"
#include "settings/PortSetupDlg.h"
#include "settings/SettingsStore.h"
#include "sim/SimController.h"
#include "tests/DialogDriver.h"
#include "tests/EventLoopHelpers.h"
#include "tests/FileChooser.h"
#include "tests/MessageBoxRecorder.h"
#include "tests/ModalActions.h"
#include "tests/TempConfigHome.h"
#include "tests/TestPeer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QEventLoop>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <utility>


namespace {

constexpr int kStatusPage = 0;
constexpr int kGeneralPage = 1;
constexpr int kShaftPage = 2;
constexpr int kIoPage = 3;
constexpr int kFaultPage = 4;
constexpr int kLiftPage = 5;
constexpr int kDoorPage = 6;
const int kStatusTextIds[] = {1041, 1042, 1043, 1044, 1045, 1046, 1047, 1048, 1057};

// The program's main window with its real pages against the simulated
// controller on a line that can be unplugged and plugged in again under the
// same ports/COM1 name.
class LineFaultTest : public ::testing::Test
{
protected:
    LineFaultTest()
    {
        CSettingsStore store(HKEY_CURRENT_USER);
        store.CreateKey("Software\\VELORCOM");
        // A door machine rate that a new pseudo-terminal does not start with.
        for (const auto& [name, text] : {std::pair{"comwhole", "1N81"}, {"combaud", "9600"},
                                         {"comdoorbaud", "19200"}, {"specialcode", "E"}})
            store.WriteString(name, text);
        m_peer.SetResponder([this](const std::string& request, int baud) {
            return m_script ? m_script(request) : m_sim.HandleRequest(request, baud);
        });
    }
    ~LineFaultTest() override { m_peer.SetResponder({}); }

    static void Run(int ms) { RunEventLoop(ms); }
    static bool RunUntil(const std::function<bool()>& done, int timeoutMs = 3000)
    {
        return RunEventLoopUntil(done, timeoutMs);
    }
    CPage* Page(int index) const { return m_dialog->PageTab()->Page(index); }
    QString StatusText(int id) const { return Control<QLabel>(Page(kStatusPage), id)->text(); }
    int GreyIoLamps() const
    {
        auto* page = static_cast<CIoPage*>(Page(kIoPage));
        int grey = 0;
        for (int bit = 0; bit < CIoPage::kInputCount; ++bit)
            grey += page->InputLamp(bit)->GetColumn() == 2;
        for (int bit = 0; bit < CIoPage::kOutputCount; ++bit)
            grey += page->OutputLamp(bit)->GetColumn() == 2;
        return grey;
    }
    int FaultRows() const { return RowCount(Control<QTreeWidget>(Page(kFaultPage), 1032)); }
    QStringList BoxesStartingWith(const QString& start) const
    {
        QStringList texts;
        for (const QString& text : m_boxes.Texts())
            if (text.startsWith(start))
                texts << text;
        return texts;
    }
    void Start(int expectedTabs = 7)
    {
        m_dialog = std::make_unique<CMainDlg>();
        m_dialog->OnInitDialog();
        ASSERT_EQ(m_dialog->PageTab()->TabCount(), expectedTabs);
    }
    // Unplugs the line and checks the failure is shown once and the process
    // then waits for the device without using the processor.
    static constexpr int kQuietMs = 500;
    void UnplugAndCheckQuiet()
    {
        m_peer.Unplug();
        CheckQuietWhileAway();
    }
    // The line is down (or going down): the failure is shown once and the
    // process waits for the device without using the processor. The device
    // is looked for once a second (scaled): the quiet half second spans ten looks,
    // and a process that spins instead uses far more than the limit.
    void CheckQuietWhileAway()
    {
        ASSERT_TRUE(RunUntil([&] { return !g_port.IsLineUp(); }));
        RunUntil([&] { return !BoxesStartingWith("WARNING:").isEmpty(); }, 1000);
        const double cpuBefore = ProcessCpuMs();
        Run(kQuietMs);
        EXPECT_LT(ProcessCpuMs() - cpuBefore, kQuietMs * 0.25) << "busy while the device is away";
        EXPECT_EQ(BoxesStartingWith("WARNING:").size(), 1) << m_boxes.Texts().join("\n").toStdString();
        EXPECT_TRUE(g_port.IsOpen()) << "the port is still the program's, waiting for the device";
    }

    // The controller answers as usual until the first request whose letters
    // and data start with `start` ("A528": the read of F40); the cable is
    // pulled as that request arrives, so its reply is lost.
    void UnplugAt(const std::string& start)
    {
        m_script = [this, start, pulled = false](const std::string& request) mutable {
            const int baud = m_peer.Baud();
            if (!pulled && request.compare(3, start.size(), start) == 0) {
                pulled = true;
                m_peer.Unplug();
            }
            return m_sim.HandleRequest(request, baud);
        };
    }
    // The line went down in an exchange: its loss is reported once.
    void CheckTheLossIsReportedOnce()
    {
        ASSERT_TRUE(RunUntil([&] { return !g_port.IsLineUp(); }));
        RunUntil([&] { return !BoxesStartingWith("WARNING:").isEmpty(); }, 1000);
        EXPECT_EQ(BoxesStartingWith("WARNING:").size(), 1) << m_boxes.Texts().join("\n").toStdString();
    }
    void ReplugAndWaitForTheLine()
    {
        m_script = nullptr;
        m_peer.Replug();
        ASSERT_TRUE(RunUntil([&] { return g_port.IsLineUp(); }, 3000));
        m_boxes.Clear();
    }

    CTestPeer m_peer;
    CMessageBoxRecorder m_boxes;
    CSimController m_sim;
    std::function<std::string(const std::string&)> m_script;
    std::unique_ptr<CMainDlg> m_dialog;
};

} // namespace

// While the line is down the status page shows nothing as if it were live;
// once the device is back under the same name polling resumes by itself.
TEST_F(LineFaultTest, StatusPageShowsTheLostLineAndPollsAgainWhenTheDeviceIsBack)
{
    Start();
    ASSERT_TRUE(RunUntil([&] { return StatusText(1046) == "运行" || StatusText(1046) == "故障"; }));
    UnplugAndCheckQuiet();
    for (int id : kStatusTextIds)
        EXPECT_EQ(StatusText(id), "") << id;
    EXPECT_EQ(Control<CLampStatic>(Page(kStatusPage), 1036)->GetColumn(), 2) << "lamp grey";

    m_peer.Replug();
    EXPECT_TRUE(RunUntil([&] { return StatusText(1041) == "自动"; }, 3000)) << "polling did not resume";
    EXPECT_EQ(m_peer.Baud(), 9600);
    EXPECT_EQ(BoxesStartingWith("WARNING:").size(), 1);
}

TEST_F(LineFaultTest, IoPageGreysItsLampsAndPollsAgainWhenTheDeviceIsBack)
{
    Start();
    m_dialog->PageTab()->SelectTab(kIoPage);
    ASSERT_TRUE(RunUntil([&] { return GreyIoLamps() == 0; }));
    UnplugAndCheckQuiet();
    EXPECT_EQ(GreyIoLamps(), 96);

    m_peer.Replug();
    EXPECT_TRUE(RunUntil([&] { return GreyIoLamps() == 0; }, 3000)) << "polling did not resume";
}

// The device comes back at the rate of the page shown: the door machine's on
// the door machine page.
TEST_F(LineFaultTest, DeviceComesBackAtTheShownPagesRate)
{
    Start();
    m_dialog->PageTab()->SelectTab(kDoorPage);
    ASSERT_EQ(m_peer.Baud(), 19200);
    UnplugAndCheckQuiet();
    m_peer.Replug();
    ASSERT_TRUE(RunUntil([&] { return g_port.IsLineUp(); }, 3000));
    EXPECT_EQ(m_peer.Baud(), 19200) << "reopened at another rate";
    m_peer.ClearRequests();
    m_dialog->PageTab()->SelectTab(kStatusPage);
    EXPECT_EQ(m_peer.Baud(), 9600);
    EXPECT_TRUE(RunUntil([&] { return StatusText(1041) == "自动"; }, 5000));
}

// Pulled in the middle of a fault log read: the read ends with its failure
// message once, the rows read so far stay; the next read after the device is
// back reads the whole log.
TEST_F(LineFaultTest, FaultReadCutByTheUnplugFailsOnceAndReadsAgainLater)
{
    Start();
    m_dialog->PageTab()->SelectTab(kFaultPage);
    const int fullLog = FaultRows();
    ASSERT_GT(fullLog, 3);
    int records = 0;
    m_script = [&](const std::string& request) {
        if (request.compare(3, 2, "A1") == 0 && ++records == 4)
            m_peer.Unplug();
        return m_sim.HandleRequest(request, 9600);
    };
    m_boxes.Clear();
    Page(kFaultPage)->GiveFocus();
    EXPECT_EQ(m_boxes.Texts().filter("通讯失败，请刷新!").size(), 1) << m_boxes.Texts().join("\n").toStdString();
    EXPECT_LE(BoxesStartingWith("WARNING:").size(), 1);
    EXPECT_EQ(FaultRows(), 2) << "the rows read before the cut stay";

    m_script = nullptr;
    m_peer.Replug();
    ASSERT_TRUE(RunUntil([&] { return g_port.IsLineUp(); }, 3000));
    m_boxes.Clear();
    Page(kFaultPage)->GiveFocus();
    EXPECT_EQ(FaultRows(), fullLog);
    EXPECT_EQ(m_boxes.Count(), 0);
}

// A burst of fault reports: each report shown is answered with F6 before the
// next is shown, in order, none twice; no answer is cut off the line by the
// next write (the boxes here close at once); polling goes on afterwards.
TEST_F(LineFaultTest, BurstOfFaultReportsIsShownAndAnsweredOneByOne)
{
    // The burst crosses from the monitor thread while the status page waits
    // its pause after a reply, and the next poll's write clears the input:
    // the pause must leave the hand-off its time, so this runs at a quarter
    // (25 ms) rather than the suite's tenth.
    const CTimeScaleScope quarterScale(0.25);
    Start();
    ASSERT_TRUE(RunUntil([&] { return StatusText(1041) == "自动"; }));
    const QStringList codes = {"23", "31", "05", "18", "44"};
    std::string burst;
    for (const QString& code : codes)
        burst += m_sim.FaultReport(code.toInt());
    // The burst follows the reply to one of the status page's polls (A3, A8,
    // A0: no exchange, which would read it as its own reply) at once, so no
    // poll can come in between and find it in the input it clears.
    m_script = [&, sent = false](const std::string& request) mutable {
        std::string reply = m_sim.HandleRequest(request, m_peer.Baud());
        const bool poll = request.compare(3, 2, "A3") == 0 || request.compare(3, 2, "A8") == 0
                       || request.compare(3, 2, "A0") == 0;
        return !poll || std::exchange(sent, true) ? reply : reply + burst;
    };
    m_peer.ClearRequests();
    auto acknowledgements = [&] {
        int count = 0;
        for (const std::string& request : m_peer.Requests())
            count += request.compare(3, 2, "F6") == 0;
        return count;
    };
    ASSERT_TRUE(RunUntil([&] { return m_boxes.Count() >= 5 && acknowledgements() >= 5; }))
        << m_boxes.Texts().join(", ").toStdString() << "; " << acknowledgements() << " acknowledged";
    const size_t before = m_peer.Requests().size();
    EXPECT_TRUE(RunUntil([&] { return m_peer.Requests().size() > before + 2; })) << "polling stopped after the burst";
    const QStringList shown = m_boxes.Texts();
    for (int i = 0; i < shown.size(); ++i)
        EXPECT_EQ(shown[i], "故障码: " + codes.value(i)) << "reports are shown in order, none twice";
    EXPECT_EQ(acknowledgements(), shown.size());
}

// A second program on the same port is refused with the reason.
TEST_F(LineFaultTest, SecondProgramOnTheSamePortIsToldItIsBusy)
{
    CPortChannel first;
    ASSERT_EQ(first.Open(nullptr, 1, 9600, 'N', 8, 1, 0x49), 1);
    QTimer closer;
    closer.callOnTimeout([] {
        if (auto* dialog = qobject_cast<CPortSetupDlg*>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    closer.start(10);
    Start(0);
    ASSERT_EQ(m_boxes.Count(), 1);
    EXPECT_EQ(m_boxes.Calls()[0].text, "串口初始化失败，请重新设置");
    EXPECT_TRUE(m_boxes.Calls()[0].details.contains("被其他程序占用")) << m_boxes.Calls()[0].details.toStdString();
    first.Close();
}

// The simulated controller as a program of its own: stopping it takes its
// pseudo-terminal and its ports/COM1 link away, starting it again brings a new
// one under the same name.
TEST_F(LineFaultTest, SimulatedControllerStoppedAndStartedAgain)
{
    CTempConfigHome home; // a ports folder without the test peer's link
    {
        CSettingsStore store(HKEY_CURRENT_USER);
        store.CreateKey("Software\\VELORCOM");
        for (const auto& [name, text] : {std::pair{"comwhole", "1N81"}, {"combaud", "9600"},
                                         {"comdoorbaud", "38400"}, {"specialcode", "E"}})
            store.WriteString(name, text);
    }
    const QString link = home.Path() + "/velor/ports/COM1";
    auto startSim = [&link](QProcess& sim) {
        sim.setProgram(VELOR_SIM_PROGRAM);
        sim.setArguments({"--port", "1"});
        sim.start();
        return sim.waitForStarted() && RunUntil([&] { return QFileInfo::exists(link); });
    };
    QProcess sim;
    ASSERT_TRUE(startSim(sim));
    Start();
    ASSERT_TRUE(RunUntil([&] { return StatusText(1041) == "自动"; }));

    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(3000));
    ASSERT_TRUE(RunUntil([&] { return StatusText(1041).isEmpty(); }));
    // Several looks for the device while its link is gone: none may take
    // another device for it (without the link, COM1 names /dev/ttyS0).
    Run(CTimeScale::Ms(3000));
    EXPECT_FALSE(g_port.IsLineUp());

    QProcess again;
    ASSERT_TRUE(startSim(again));
    EXPECT_TRUE(RunUntil([&] { return StatusText(1041) == "自动"; }, 4000)) << "polling did not resume";
    EXPECT_EQ(BoxesStartingWith("WARNING:").size(), 1);
    m_dialog.reset(); // lets go of the port before the simulator goes
    again.terminate();
    again.waitForFinished(3000);
}

// Pulled while the general page reads, or while it sets the clock: the read
// ends with its one message, the clock is not polled while the device is
// away, and after the replug the next focus reads everything again.
TEST_F(LineFaultTest, GeneralPageCutByTheUnplugFailsOnceAndReadsAgainLater)
{
    Start();
    m_dialog->PageTab()->SelectTab(kGeneralPage);
    CPage* page = Page(kGeneralPage);
    ASSERT_TRUE(page->IsTimer1Active());
    auto runCount = [page] { return ControlText(Control<QWidget>(page, 1007)); };
    const QString runsBefore = runCount();
    QTimer acceptClock;
    acceptClock.callOnTimeout([] {
        if (auto* dialog = qobject_cast<CClockDlg*>(QApplication::activeModalWidget()))
            dialog->accept();
    });
    acceptClock.start(10);

    for (const char* cut : {"AA", "F9"}) {
        UnplugAt(cut);
        m_boxes.Clear();
        if (cut[0] == 'F')
            DialogDriver::Click(page, 1011); // the clock setting, then the read
        else
            page->GiveFocus();
        EXPECT_EQ(BoxesStartingWith("通讯失败").size(), 1) << cut << m_boxes.Texts().join("\n").toStdString();
        EXPECT_FALSE(page->IsTimer1Active()) << cut;
        EXPECT_EQ(runCount(), runsBefore) << cut;
        CheckQuietWhileAway();

        ReplugAndWaitForTheLine();
        page->GiveFocus();
        EXPECT_EQ(m_boxes.Count(), 0) << cut;
        EXPECT_TRUE(page->IsTimer1Active()) << cut;
    }
}

// Pulled at the third floor of the shaft read: one message, the two rows read
// stay; after the replug the next focus reads every floor.
TEST_F(LineFaultTest, ShaftReadCutByTheUnplugFailsOnceAndReadsAgainLater)
{
    Start();
    m_dialog->PageTab()->SelectTab(kShaftPage);
    const QTreeWidget* list = Control<QTreeWidget>(Page(kShaftPage), 1032);
    const int floors = RowCount(list);
    ASSERT_GT(floors, 3);
    UnplugAt("A603");
    m_boxes.Clear();
    Page(kShaftPage)->GiveFocus();
    EXPECT_EQ(BoxesStartingWith("通讯失败，请刷新!").size(), 1) << m_boxes.Texts().join("\n").toStdString();
    EXPECT_EQ(RowCount(list), 2);
    CheckQuietWhileAway();

    ReplugAndWaitForTheLine();
    Page(kShaftPage)->GiveFocus();
    EXPECT_EQ(RowCount(list), floors);
    EXPECT_EQ(m_boxes.Count(), 0);
}

// Pulled in the middle of a parameter list read, of a parameter's write and
// of a file's import, on both parameter pages: the read keeps the rows before
// the cut (the lift page says so, the door machine page takes the silence for
// the end), the edited row keeps its value, the import says at which record it
// stopped and how many went in; after the replug everything works again and
// the controller holds just the records written before the cut.
TEST_F(LineFaultTest, ParameterPagesCutByTheUnplugSayHowFarTheyGotAndWorkAgainLater)
{
    {
        CSettingsStore store(HKEY_CURRENT_USER);
        store.CreateKey("Software\\VELORCOM");
        store.WriteString("comdoorbaud", "38400"); // the simulated door machine's rate
    }
    m_sim = CSimController(CSimOptions{.longRecord = false}); // the shorter list reads faster
    Start();
    QTemporaryDir folder;
    for (const int index : {kLiftPage, kDoorPage}) {
        const bool door = index == kDoorPage;
        CSimParameterSet& board = door ? m_sim.DoorMachine().Parameters() : m_sim.MainBoard().Parameters();
        m_dialog->PageTab()->SelectTab(index);
        auto* page = static_cast<CParamListPage*>(Page(index));
        QTreeWidget* list = page->List();
        const int rows = RowCount(list);
        ASSERT_EQ(rows, door ? 79 : 114);
        auto click = [page](int id) { Control<QAbstractButton>(page, id)->click(); };
        const std::string name = door ? "door" : "lift";

        UnplugAt("A528");
        m_boxes.Clear();
        click(1002);
        EXPECT_EQ(BoxesStartingWith("通讯失败").size(), door ? 0 : 1) << name;
        EXPECT_EQ(RowCount(list), 40) << name;
        CheckQuietWhileAway();
        ReplugAndWaitForTheLine();
        click(1002);
        ASSERT_EQ(RowCount(list), rows) << name;

        const QString f3 = RowText(list, 3, 1);
        CModalActions dialogs;
        dialogs.Queue(EnterValue("321"));
        UnplugAt("F503");
        m_boxes.Clear();
        DialogDriver::ClickRow(list, 3);
        EXPECT_EQ(RowText(list, 3, 1), f3) << name;
        CheckTheLossIsReportedOnce();
        ReplugAndWaitForTheLine();
        dialogs.Queue(EnterValue("321"));
        DialogDriver::ClickRow(list, 3);
        EXPECT_EQ(RowText(list, 3, 1), "321") << name;
        EXPECT_EQ(dialogs.Pending(), 0) << name;

        const QString path = folder.filePath(QString::fromStdString(name) + ".F");
        CFileChooser chooser(path);
        click(1035);
        for (int n = 10; n < 30; ++n)
            board.Write(n, 4000 + n);
        UnplugAt("F514"); // F20
        m_boxes.Clear();
        dialogs.Queue(WriteWholeFile);
        click(1008);
        const QStringList failures = BoxesStartingWith("写F");
        ASSERT_EQ(failures, QStringList{"写F20参数失败"}) << name;
        for (const MessageBoxCall& call : m_boxes.Calls()) {
            if (call.text == failures[0]) {
                EXPECT_TRUE(call.details.contains("前 20 条已写入")) << call.details.toStdString();
            }
        }
        CheckTheLossIsReportedOnce();
        ReplugAndWaitForTheLine();
        click(1002);
        ASSERT_EQ(RowCount(list), rows) << name;
        EXPECT_NE(RowText(list, 19, 1).toInt(), 4019) << name << ": written before the cut";
        EXPECT_EQ(RowText(list, 21, 1).toInt(), 4021) << name << ": not written after the cut";
        EXPECT_EQ(m_boxes.Count(), 0) << name;
    }
}

namespace {

// The rows of the traffic log whose note is `note`.
int RowsNoted(CTrafficLog* log, const QString& note)
{
    int rows = 0;
    for (int row = 0; row < log->rowCount(); ++row)
        rows += log->Text(row, CTrafficLog::NoteColumn) == note;
    return rows;
}

} // namespace

// What the window shows says how the line is: a silent controller greys the
// status page within about a second (no blanking) and the status line says
// since when, the traffic window marks each unanswered poll; the first reply
// makes everything live again; an unplugged device is named as such.
TEST_F(LineFaultTest, SilenceAndUnplugAreShownAndTheFirstReplyMakesThePageLive)
{
    Start();
    auto* status = static_cast<CPollingPage*>(Page(kStatusPage));
    CStatusLine* line = m_dialog->StatusLine();
    m_dialog->ShowTrafficWindow();
    CTrafficLog* traffic = m_dialog->TrafficWindow()->Log();
    ASSERT_TRUE(RunUntil([&] { return StatusText(1041) == "自动" && line->StateText() == "通讯正常"; }));
    EXPECT_FALSE(status->IsShowingOld());
    EXPECT_TRUE(line->PortText().startsWith("COM1 → /dev/pts/")) << line->PortText().toStdString();
    EXPECT_EQ(line->RateText(), "9600 主板");

    m_sim.Misbehaviour().silent = true;
    QElapsedTimer silence;
    silence.start();
    ASSERT_TRUE(RunUntil([&] { return status->IsShowingOld(); }, 3000));
    EXPECT_LT(silence.elapsed(), 2 * CTimeScale::ReplyMs(CLineState::kSilenceMs) + 500);
    EXPECT_EQ(status->OldNotice()->text(), "无应答");
    EXPECT_EQ(StatusText(1041), "自动") << "greyed, not blanked";
    line->Refresh();
    EXPECT_TRUE(line->StateText().startsWith("无应答（自 ")) << line->StateText().toStdString();
    EXPECT_TRUE(RunUntil([&] { return RowsNoted(traffic, "无应答") >= 3; }, 2000)) << "each unanswered poll";

    m_sim.Misbehaviour().silent = false;
    ASSERT_TRUE(RunUntil([&] { return !status->IsShowingOld(); }, 2000));
    line->Refresh();
    EXPECT_EQ(line->StateText(), "通讯正常");

    m_peer.Unplug();
    const auto stateIs = [line](const QString& text) {
        line->Refresh();
        return line->StateText() == text;
    };
    EXPECT_TRUE(RunUntil([&] { return stateIs("串口已断开，等待重新连接"); })) << line->StateText().toStdString();
    m_peer.Replug();
    EXPECT_TRUE(RunUntil([&] { return g_port.IsLineUp() && !status->IsShowingOld(); }, 3000));
}
