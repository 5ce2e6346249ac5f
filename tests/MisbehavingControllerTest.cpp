// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DataExchange.h"
#include "ui/ListView.h"
#include "ui/TemplateLoader.h"
#include "dialogs/ClockDlg.h"
#include "pages/GeneralPage.h"
#include "pages/IoPage.h"
#include "ui/LampStatic.h"
#include "pages/ShaftPage.h"
#include "params/FaultPage.h"
#include "tests/EventLoopHelpers.h"
#include "tests/DialogDriver.h"
#include "tests/LivePageRig.h"
#include "tests/Misbehaviours.h"
#include "tests/MessageBoxRecorder.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace {

constexpr int kStatusTextId = 1041;
constexpr int kFaultListId = 1032;

class MisbehavingControllerTest : public LivePageRig
{
protected:
    static bool RunUntil(const std::function<bool()>& done, int timeoutMs = 3000)
    {
        return RunEventLoopUntil(done, timeoutMs);
    }

    CSimMisbehaviour& Misbehave() { return m_sim->Misbehaviour(); }
    void SetMode(CSimMainBoard::Mode mode) { m_sim->MainBoard().SetMode(mode); }
    QString StatusText() const { return Control<QLabel>(m_tab->Page(0), kStatusTextId)->text(); }
    int InspectionLamp() const { return static_cast<CIoPage*>(m_tab->Page(3))->InputLamp(0)->GetColumn(); }
    int FaultRows() const { return RowCount(Control<QTreeWidget>(m_tab->Page(4), kFaultListId)); }

    // For every misbehaviour: the controller changes its state while it
    // misbehaves; the page shows the change only where it gets through, and
    // shows it at once when the controller behaves again.
    void CheckLivePage(const std::function<QString()>& shown, const QString& before, const QString& after)
    {
        for (const Misbehaviour& misbehaviour : kMisbehaviours) {
            SetMode(CSimMainBoard::Mode::Automatic);
            ASSERT_TRUE(RunUntil([&] { return shown() == before; })) << misbehaviour.name;
            misbehaviour.start(Misbehave());
            SetMode(CSimMainBoard::Mode::Inspection);
            RunUntilRequests(Requests().size() + 8); // two rounds of polls at least
            EXPECT_EQ(shown(), misbehaviour.liveValuesGetThrough ? after : before) << misbehaviour.name;
            Misbehave() = CSimMisbehaviour();
            EXPECT_TRUE(RunUntil([&] { return shown() == after; }, 1500)) << "no recovery from " << misbehaviour.name;
        }
    }

    // The requests since the last ClearRequests whose first letter is 'F'.
    static std::vector<std::string> Writes()
    {
        std::vector<std::string> writes;
        for (const std::string& request : Requests())
            if (request[3] == 'F')
                writes.push_back(request.substr(3));
        return writes;
    }
    // Every reply comes only after the page has given up on it and on its
    // second try: the replies are held while the page reads and arrive once
    // its read is over.
    void StartLateReplies()
    {
        m_silent = true;
        m_script = [this](const std::string& request) {
            m_lateReplies.push_back(m_sim->HandleRequest(request, s_peer->Baud()));
            return std::string();
        };
    }
    void StopLateReplies()
    {
        m_script = nullptr;
        m_silent = false;
        const int framesBefore = s_router->Frames();
        for (const std::string& reply : m_lateReplies)
            s_peer->Send(reply);
        const int late = static_cast<int>(m_lateReplies.size());
        m_lateReplies.clear();
        EXPECT_TRUE(RunUntil([&] { return s_router->Frames() >= framesBefore + late; })) << "late replies lost";
    }
    // Presses OK in the clock dialog whenever it opens while the test lives.
    void AcceptClockDialogs()
    {
        auto* poll = new QTimer(m_tab.get());
        QObject::connect(poll, &QTimer::timeout, poll, [] {
            if (auto* dialog = qobject_cast<CClockDlg*>(QApplication::activeModalWidget()))
                dialog->accept();
        });
        poll->start(10);
    }

    CMessageBoxRecorder m_boxes;
    std::vector<std::string> m_lateReplies;
};

std::string SimFrame(const std::function<void(CFrameBuffer&)>& build)
{
    CFrameBuffer frame;
    build(frame);
    return frame.Data();
}

} // namespace

TEST_F(MisbehavingControllerTest, StatusPageShowsOnlyWhatGetsThroughAndRecovers)
{
    m_tab->Init();
    CheckLivePage([this] { return StatusText(); }, "自动", "检修");
    EXPECT_EQ(m_boxes.Count(), 0);
}

TEST_F(MisbehavingControllerTest, IoPageShowsOnlyWhatGetsThroughAndRecovers)
{
    m_tab->Init();
    m_tab->SelectTab(3);
    CheckLivePage([this] { return QString::number(InspectionLamp()); }, "1", "0");
    EXPECT_EQ(m_boxes.Count(), 0);
}

// The fault log is read synchronously: a reply that does not come in time
// keeps the rows of the last read, one with other letters ends the read with
// the failure message; a refused reset says so. Each recovers on the next read.
TEST_F(MisbehavingControllerTest, FaultPageFailsAsDesignedAndRecovers)
{
    m_tab->Init();
    m_tab->SelectTab(4);
    const int fullLog = FaultRows();
    ASSERT_GT(fullLog, 0);
    auto refresh = [this] { m_tab->Page(4)->GiveFocus(); };

    m_silent = true;
    refresh();
    EXPECT_EQ(FaultRows(), fullLog) << "silence: the last read's rows stay";
    EXPECT_EQ(m_boxes.Count(), 0);
    m_silent = false;

    StartLateReplies();
    refresh();
    EXPECT_EQ(FaultRows(), fullLog) << "late replies: the last read's rows stay";
    EXPECT_EQ(m_boxes.Count(), 0);
    StopLateReplies();

    for (const Misbehaviour& misbehaviour : kMisbehaviours) {
        misbehaviour.start(Misbehave());
        m_boxes.Clear();
        refresh();
        const QStringList texts = m_boxes.Texts();
        if (texts.isEmpty())
            EXPECT_EQ(FaultRows(), fullLog) << misbehaviour.name;
        else
            EXPECT_EQ(texts, QStringList{"通讯失败，请刷新!"}) << misbehaviour.name;
        Misbehave() = CSimMisbehaviour();
        m_boxes.Clear();
        refresh();
        EXPECT_EQ(FaultRows(), fullLog) << "no recovery from " << misbehaviour.name;
        EXPECT_EQ(m_boxes.Count(), 0) << misbehaviour.name;
    }

    Misbehave().refuseWrites = true;
    m_boxes.Clear();
    m_boxes.QueueAnswers({IDYES});
    QMetaObject::invokeMethod(Control<QPushButton>(m_tab->Page(4), 1002), "click");
    EXPECT_EQ(m_boxes.Texts().value(1), "复位电梯故障记录命令发出失败");
}

// The general page reads everything on its focus: a controller that answers
// nothing usable in time ends the read with its one message, the fields keep
// the values of the last good read and the clock does not tick; the clock
// dialog opens only on a good clock reply, so nothing from a bad one is
// written back. Everything recovers on the next focus.
TEST_F(MisbehavingControllerTest, GeneralPageKeepsItsLastGoodValuesAndRecovers)
{
    m_tab->Init();
    m_tab->SelectTab(CGeneralPage::kPageIndex);
    auto* page = static_cast<CGeneralPage*>(m_tab->Page(CGeneralPage::kPageIndex));
    auto fields = [page] {
        QStringList texts;
        for (int id : {1009, 1001, 1003, 1007})
            texts << ControlText(Control<QWidget>(page, id));
        return texts;
    };
    const QStringList good = fields();
    ASSERT_EQ(good.value(1), "00000001");
    ASSERT_EQ(m_boxes.Count(), 0);
    AcceptClockDialogs();
    auto setId = [this](const char* id) {
        m_sim->HandleRequest(SimFrame([id](CFrameBuffer& f) { f.BuildTextArg(255, 'F', '1', id); }), 9600);
    };

    for (const Misbehaviour& misbehaviour : kMisbehaviours) {
        setId("77\r"); // what a good read would show now
        misbehaviour.start(Misbehave());
        ClearRequests();
        m_boxes.Clear();
        DialogDriver::Click(page, 1011); // set the clock, then read again
        QStringList expected = good;
        expected[1] = "77";
        if (misbehaviour.checkedReadsPass) {
            EXPECT_EQ(fields(), expected) << misbehaviour.name;
            EXPECT_EQ(m_boxes.Count(), 0) << misbehaviour.name;
            EXPECT_TRUE(page->IsTimer1Active()) << misbehaviour.name;
        } else {
            EXPECT_EQ(fields(), good) << misbehaviour.name;
            EXPECT_EQ(m_boxes.Texts(), QStringList{"通讯失败,请刷新!"}) << misbehaviour.name;
            EXPECT_FALSE(page->IsTimer1Active()) << misbehaviour.name;
            EXPECT_TRUE(Writes().empty()) << misbehaviour.name << ": a clock from a bad reply was written back";
        }

        Misbehave() = CSimMisbehaviour();
        setId("00000001\r");
        m_boxes.Clear();
        page->GiveFocus();
        EXPECT_EQ(fields(), good) << "no recovery from " << misbehaviour.name;
        EXPECT_EQ(m_boxes.Count(), 0) << misbehaviour.name;
        EXPECT_TRUE(page->IsTimer1Active()) << misbehaviour.name;
    }

    StartLateReplies();
    m_boxes.Clear();
    page->GiveFocus();
    EXPECT_EQ(fields(), good) << "late replies";
    EXPECT_EQ(m_boxes.Texts(), QStringList{"通讯失败,请刷新!"});
    StopLateReplies();
    m_boxes.Clear();
    page->GiveFocus();
    EXPECT_EQ(m_boxes.Count(), 0);
    EXPECT_TRUE(page->IsTimer1Active());

    // A refused telephone number says so.
    Misbehave().refuseWrites = true;
    m_boxes.Clear();
    DialogDriver::Click(page, 1004);
    EXPECT_EQ(m_boxes.Texts().value(0), "电话号码修改失败");
}

// The shaft page reads on its focus: a count or floor without a good reply
// ends the read with its one message and leaves the rows and the switch
// fields of the last good read; self-learning refused says nothing.
TEST_F(MisbehavingControllerTest, ShaftPageKeepsItsLastGoodRowsAndRecovers)
{
    m_tab->Init();
    m_tab->SelectTab(CShaftPage::kPageIndex);
    CPage* page = m_tab->Page(CShaftPage::kPageIndex);
    auto shown = [page] {
        QStringList texts;
        for (int id : {1001, 1003, 1007, 1009, 1010})
            texts << DialogDriver::Text(page, id);
        const QTreeWidget* list = Control<QTreeWidget>(page, 1032);
        for (int row = 0; row < RowCount(list); ++row)
            texts << RowText(list, row, 0) + "=" + RowText(list, row, 1);
        return texts;
    };
    const QStringList good = shown();
    ASSERT_GT(good.size(), 5 + 2);
    ASSERT_EQ(m_boxes.Count(), 0);

    auto check = [&](const char* name, bool readPasses, const std::function<void()>& start,
                     const std::function<void()>& stop) {
        start();
        m_boxes.Clear();
        page->GiveFocus();
        EXPECT_EQ(shown(), good) << name;
        EXPECT_EQ(m_boxes.Texts(), readPasses ? QStringList() : QStringList{"通讯失败，请刷新!"}) << name;
        stop();
        m_boxes.Clear();
        page->GiveFocus();
        EXPECT_EQ(shown(), good) << "no recovery from " << name;
        EXPECT_EQ(m_boxes.Count(), 0) << name;
    };
    for (const Misbehaviour& misbehaviour : kMisbehaviours)
        check(misbehaviour.name, misbehaviour.checkedReadsPass, [&] { misbehaviour.start(Misbehave()); },
              [this] { Misbehave() = CSimMisbehaviour(); });
    check("late replies", false, [this] { StartLateReplies(); }, [this] { StopLateReplies(); });

    Misbehave().refuseWrites = true;
    ClearRequests();
    m_boxes.Clear();
    m_boxes.QueueAnswers({IDYES});
    DialogDriver::Click(page, 1002);
    EXPECT_EQ(Writes().size(), 1u);
    EXPECT_EQ(m_boxes.Count(), 1) << "only the question";
}
