// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/ICDlg.h"

#include "link/TimeScale.h"
#include "tests/DialogDriver.h"
#include "tests/MessageBoxRecorder.h"
#include "tests/SimLineRig.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include <functional>

using namespace DialogDriver;

namespace {

constexpr int kCardEdit = 1001;
constexpr int kSendButton = 1061;

class ICDlgTest : public SimLineRig
{
protected:
    ICDlgTest() { Show(dialog); }

    // The FD frame that authorises card.
static std::string CardFrame(int card)
{
    CFrameBuffer frame;
    frame.BuildWordCharArg(kControllerAddress, 'F', 'D', card, 'F');
    return std::string(frame.Data(), frame.Length());
}

// Types the card, ticks valid or invalid and presses "确定".
    void Send(const QString& card, bool valid)
    {
        Type(&dialog, kCardEdit, card);
        Click(&dialog, valid ? 1016 : 1017);
        Click(&dialog, kSendButton);
    }

    CMessageBoxRecorder m_boxes;
    CICDlg dialog;
};

} // namespace

TEST_F(ICDlgTest, OpensWithCardZeroMarkedValid)
{
    EXPECT_EQ(Text(&dialog, kCardEdit), "0");
    EXPECT_TRUE(dialog.m_btnValid->isChecked());
    EXPECT_FALSE(dialog.m_btnInvalid->isChecked());
}

TEST_F(ICDlgTest, SendsTheCardLowByteFirstWithItsStateAndStaysOpen)
{
    QStringList busyWhenShown;
    m_boxes.SetOnShow([&](const MessageBoxCall& call) { busyWhenShown << call.text + (g_port.m_busy ? " busy" : ""); });

    Send("12345", true);
    EXPECT_TRUE(m_sim->MainBoard().IsCardAuthorised(12345));
    Send("12345", false);
    EXPECT_FALSE(m_sim->MainBoard().IsCardAuthorised(12345));
    Send("65535", true);

    const std::vector<std::string> expected = {
        CTestPeer::Frame("FFFD3930F2B"), CTestPeer::Frame("FFFD3930015"),
        CTestPeer::Frame("FFFDFFFFF74")};
    EXPECT_EQ(Requests(), expected);
    // Success is reported while the exchange still holds the port.
    EXPECT_EQ(busyWhenShown, QStringList(3, "修改成功 busy"));
    EXPECT_EQ(g_port.m_busy, 0);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.m_cState, 'F');
}

TEST_F(ICDlgTest, RefusesNumbersThatAreNotOneCardAndSendsNothing)
{
    for (const auto& [typed, prompt] : {std::pair{"65536", "Please enter an integer between 0 and 65535."},
                                        {"-1", "Please enter an integer between 0 and 65535."},
                                        {"", "Please enter an integer."},
                                        {"abc", "Please enter an integer."}}) {
        m_boxes.Clear();
        Send(typed, true);
        EXPECT_EQ(m_boxes.Texts(), QStringList{prompt}) << typed;
        EXPECT_EQ(dialog.focusWidget(), Control<QWidget>(&dialog, kCardEdit));
    }
    EXPECT_TRUE(Requests().empty());
    EXPECT_TRUE(dialog.isVisible());
}

// A reply without the acknowledgement, with another letter or with a wrong
// checksum is a failed try like silence; two failed tries end in the failure
// message, shown after the port is released.
TEST_F(ICDlgTest, TwoFailedTriesReportFailureAndKeepTheDialogOpen)
{
    const std::string refusal = CTestPeer::Frame("FFFD046");
    const std::string badChecksum = CTestPeer::Frame("FFFDF00");
    const std::string otherLetters = CTestPeer::Frame("FFFCF5B");
    std::vector<std::string> answers = {refusal, badChecksum, otherLetters, CTestPeer::Frame("FFFDF5C")};
    m_script = [&, next = size_t(0)](const std::string&) mutable { return answers[next++ % answers.size()]; };
    QStringList busyWhenShown;
    m_boxes.SetOnShow([&](const MessageBoxCall& call) { busyWhenShown << call.text + (g_port.m_busy ? " busy" : ""); });

    Send("7", true);
    Send("7", true);
    EXPECT_EQ(busyWhenShown, QStringList({"修改失败，请再按确定!", "修改成功 busy"}));
    EXPECT_EQ(Requests().size(), 4u);
    EXPECT_TRUE(dialog.isVisible());
}

// The controller gets a second before the first try; each try waits 500 ms,
// then reads for up to 1.6 s (all scaled).
TEST_F(ICDlgTest, SilentControllerFailsAfterThePauseAndTwoTries)
{
    m_silent = true;
    QElapsedTimer clock;
    clock.start();
    Send("7", false);
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(m_boxes.Texts(), QStringList{"修改失败，请再按确定!"});
    EXPECT_EQ(Requests(), std::vector<std::string>(2, CTestPeer::Frame("FFFD070000D")));
    EXPECT_GE(elapsed, CTimeScale::Ms(1000) + 2 * (CTimeScale::Ms(500) + CTimeScale::ReplyMs(1600)));
    EXPECT_TRUE(dialog.isVisible());
    Click(&dialog, 2);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

// The port is held from 确定 to the last reply, the second's pause included:
// what the technician does meanwhile (another card and Return, the dialog's
// own buttons, Escape, the window's close button) is dropped. One frame goes
// out, for the card confirmed, and the dialog stays open.
TEST_F(ICDlgTest, InputDuringThePauseBeforeTheSendIsDropped)
{
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"second card and Return",
         [&] {
             QLineEdit* edit = Control<QLineEdit>(&dialog, kCardEdit);
             QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
             QTest::keyClicks(edit, "222");
             QTest::keyClick(edit, Qt::Key_Return);
         }},
        {"确定 again", [&] { Click(&dialog, kSendButton); }},
        {"取消", [&] { Click(&dialog, 2); }},
        {"Escape", [&] { QTest::keyClick(&dialog, Qt::Key_Escape); }},
        {"close button", [&] { dialog.close(); }},
    };
    for (const auto& [name, input] : cases) {
        ClearRequests();
        m_boxes.Clear();
        bool busyAtInput = false;
        QTimer::singleShot(CTimeScale::Ms(500), &dialog, [&] {
            busyAtInput = g_port.m_busy;
            input();
        });
        Send("111", true);
        QTest::qWait(CTimeScale::Ms(1500));
        EXPECT_TRUE(busyAtInput) << name;
        EXPECT_EQ(Requests(), std::vector<std::string>{CardFrame(111)}) << name;
        EXPECT_EQ(m_boxes.Texts(), QStringList{"修改成功"}) << name;
        EXPECT_EQ(Text(&dialog, kCardEdit), "111") << name;
        EXPECT_TRUE(dialog.isVisible()) << name;
    }
}
