#include "app/ListView.h"
#include "app/TemplateLoader.h"
#include "pages/IoPage.h"
#include "pages/LampStatic.h"
#include "params/FaultPage.h"
#include "tests/EventLoopHelpers.h"
#include "tests/LivePageRig.h"
#include "tests/MessageBoxRecorder.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

namespace {

constexpr int kStatusTextId = 1041;
constexpr int kFaultListId = 1032;

// One of the simulated controller's misbehaviours, and whether a page that
// tests no checksum still gets the controller's new state through it.
struct Misbehaviour
{
    const char* name;
    std::function<void(CSimMisbehaviour&)> start;
    bool liveValuesGetThrough;
};

const Misbehaviour kMisbehaviours[] = {
    {"silence", [](CSimMisbehaviour& m) { m.silent = true; }, false},
    {"wrong letters", [](CSimMisbehaviour& m) { m.wrongLetterFraction = 1; }, false},
    {"bad checksums", [](CSimMisbehaviour& m) { m.badChecksumFraction = 1; }, true},
    {"garbage between frames", [](CSimMisbehaviour& m) { m.garbage = true; }, true},
    {"refused writes", [](CSimMisbehaviour& m) { m.refuseWrites = true; }, true},
};

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
            Run(800);
            EXPECT_EQ(shown(), misbehaviour.liveValuesGetThrough ? after : before) << misbehaviour.name;
            Misbehave() = CSimMisbehaviour();
            EXPECT_TRUE(RunUntil([&] { return shown() == after; }, 1500)) << "no recovery from " << misbehaviour.name;
        }
    }

    CMessageBoxRecorder m_boxes;
};

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

    m_script = [](const std::string&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1800)); // past the read's 1.6 s
        return std::string();
    };
    refresh();
    EXPECT_EQ(FaultRows(), fullLog) << "late replies: the last read's rows stay";
    EXPECT_EQ(m_boxes.Count(), 0);
    m_script = nullptr;
    Run(300); // the late reply

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
    QMetaObject::invokeMethod(Control<QPushButton>(m_tab->Page(4), 1002), "click");
    EXPECT_EQ(m_boxes.Texts().value(0), "复位电梯故障记录命令发出失败");
}
