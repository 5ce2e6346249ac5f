// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/LockoutDlg.h"
#include "dialogs/LockoutTimeDlg.h"

#include "ui/ListView.h"
#include "ui/ProgressStrip.h"
#include "link/TimeScale.h"
#include "sim/SimReply.h"
#include "tests/DialogDriver.h"
#include "tests/MessageBoxRecorder.h"
#include "tests/Misbehaviours.h"
#include "tests/SimLineRig.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <set>

using namespace DialogDriver;

namespace {

constexpr int kStartHour = 1001;
constexpr int kStartMinute = 1003;
constexpr int kEndHour = 1002;
constexpr int kEndMinute = 1004;

std::string Frame(const std::string& inner)
{
    return CTestPeer::Frame(inner);
}

const std::string kFloorCountRequest = Frame("FFA50BEB9");

class LockoutDlgTest : public SimLineRig
{
protected:
    void Floors(int floors) { m_sim = std::make_unique<CSimController>(CSimOptions{.floors = floors}); }
    // Gives the controller floor 2's or 5's segment 08:30 to 17:00.
    void SeedSegment(const std::string& setRequest) { m_sim->HandleRequest(Frame(setRequest), 9600); }

    QStringList Row(int row)
    {
        return {RowText(dialog->m_list, row, 0), RowText(dialog->m_list, row, 1), RowText(dialog->m_list, row, 2)};
    }
    void Open()
    {
        dialog = std::make_unique<CLockoutDlg>(true);
        Show(*dialog);
    }
    // Clicks a row and, once the time dialog is open, lets `act` work on it.
    void ClickRow(int row, const std::function<void(CLockoutTimeDlg&)>& act)
    {
        QTimer::singleShot(0, [&] {
            auto* timeDlg = qobject_cast<CLockoutTimeDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(timeDlg, nullptr);
            act(*timeDlg);
            if (timeDlg->isVisible())
                Click(timeDlg, 2);
        });
        QTreeWidget* list = dialog->m_list;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(row)).center());
    }

    CMessageBoxRecorder m_boxes;
    std::unique_ptr<CLockoutDlg> dialog;
};

} // namespace

TEST_F(LockoutDlgTest, ReadsTheFloorCountThenEachFloorFromTheTopAndWritesEveryFloorOnOk)
{
    Floors(3);
    SeedSegment("FFFC02081E1100E5C");
    Open();
    EXPECT_EQ(Requests(), std::vector<std::string>({kFloorCountRequest, Frame("FFAC03EB8"), Frame("FFAC02EB7"),
                                                    Frame("FFAC01EB6")}));
    EXPECT_EQ(Row(0), QStringList({"3", "00:00", "00:00"}));
    EXPECT_EQ(Row(1), QStringList({"2", "08:30", "17:00"}));
    EXPECT_EQ(Row(2), QStringList({"1", "00:00", "00:00"}));
    EXPECT_EQ(RowItemData(dialog->m_list, 1), 2);
    EXPECT_EQ(g_port.m_busy, 0);

    ClearRequests();
    Click(dialog.get(), 1);
    EXPECT_EQ(Requests(), std::vector<std::string>({Frame("FFFC0300000000E3D"), Frame("FFFC02081E1100E5C"),
                                                    Frame("FFFC0100000000E3B")}));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_TRUE(dialog->m_bEnable);  // passed through for the caller
    EXPECT_EQ(m_boxes.Count(), 0);
}

TEST_F(LockoutDlgTest, WithoutAUsableFloorCountTheListStaysEmptyAndOkWritesNothing)
{
    for (const std::string& countReply : {CSimReply('A', '5').AddByte(11).AddWord(0).Frame(),
                                          CSimReply('A', '5').AddByte(11).AddWord(256).Frame(),  // garbled
                                          CSimReply('A', '6').AddByte(11).AddWord(3).Frame()}) {
        m_script = [&](const std::string&) { return countReply; };
        ClearRequests();
        Open();
        EXPECT_EQ(RowCount(dialog->m_list), 0);
        EXPECT_EQ(Requests(), std::vector<std::string>{kFloorCountRequest});
        ClearRequests();
        Click(dialog.get(), 1);
        EXPECT_TRUE(Requests().empty());
        EXPECT_EQ(dialog->result(), QDialog::Accepted);
    }
    EXPECT_EQ(m_boxes.Count(), 0);
}

// Times are decimal both ways: 08:30 is read from 08 1E and written as 081E.
TEST_F(LockoutDlgTest, ClickEditsARowsTimesWhichOkSends)
{
    Floors(5);
    SeedSegment("FFFC05081E1100E5F");
    Open();
    ASSERT_EQ(Row(0), QStringList({"5", "08:30", "17:00"}));

    ClickRow(0, [&](CLockoutTimeDlg& timeDlg) {
        EXPECT_EQ(QStringList({Text(&timeDlg, kStartHour), Text(&timeDlg, kStartMinute), Text(&timeDlg, kEndHour),
                               Text(&timeDlg, kEndMinute)}),
                  QStringList({"8", "30", "17", "0"}));
        Type(&timeDlg, kStartHour, "9");
        Click(&timeDlg, 2);
    });
    EXPECT_EQ(Row(0), QStringList({"5", "08:30", "17:00"}));  // cancelled

    ClickRow(1, [&](CLockoutTimeDlg& timeDlg) {
        Type(&timeDlg, kStartHour, "22");
        Type(&timeDlg, kEndHour, "23");
        Type(&timeDlg, kEndMinute, "5");
        Click(&timeDlg, 1);
    });
    EXPECT_EQ(Row(1), QStringList({"4", "22:00", "23:05"}));

    ClearRequests();
    Click(dialog.get(), 1);
    ASSERT_EQ(Requests().size(), 5u);
    EXPECT_EQ(Requests()[0], Frame("FFFC05081E1100E5F"));
    EXPECT_EQ(m_sim->MainBoard().LockoutSegment(4).endMinute, 5);
}

// A floor whose segment could not be read is not overwritten with made-up
// times, unless the technician gives it times.
TEST_F(LockoutDlgTest, UnreadFloorIsWrittenOnlyOnceGivenTimes)
{
    Floors(3);
    const std::string shortReply = Frame("FFAC10");
    m_script = [&](const std::string& request) { return request == Frame("FFAC02EB7") ? shortReply : ""; };
    Open();
    EXPECT_EQ(Requests().size(), 5u);  // floor 2 asked twice
    EXPECT_EQ(Row(1), QStringList({"2", "", ""}));

    ClearRequests();
    Click(dialog.get(), 1);
    EXPECT_EQ(Requests(), std::vector<std::string>({Frame("FFFC0300000000E3D"), Frame("FFFC0100000000E3B")}));

    Open();
    ClickRow(1, [&](CLockoutTimeDlg& timeDlg) {
        EXPECT_EQ(Text(&timeDlg, kStartHour), "0");
        Type(&timeDlg, kStartHour, "22");
        Type(&timeDlg, kEndHour, "23");
        Click(&timeDlg, 1);
    });
    ClearRequests();
    Click(dialog.get(), 1);
    EXPECT_EQ(Requests(), std::vector<std::string>({Frame("FFFC0300000000E3D"), Frame("FFFC0216001700E4B"),
                                                    Frame("FFFC0100000000E3B")}));
}

// A segment reply one character short ends its eight digits in the checksum:
// such a floor shows no times and OK does not write them back.
TEST_F(LockoutDlgTest, SegmentReplyWithoutItsLastDigitIsNotShownOrWritten)
{
    Floors(2);
    const std::string cutShort = Frame("FFAC02081E1105C");
    ASSERT_EQ(cutShort.size(), 17u);
    m_script = [&](const std::string& request) { return request == Frame("FFAC02EB7") ? cutShort : ""; };
    Open();
    EXPECT_EQ(Row(0), QStringList({"2", "", ""}));
    EXPECT_EQ(Row(1), QStringList({"1", "00:00", "00:00"}));

    ClearRequests();
    Click(dialog.get(), 1);
    EXPECT_EQ(Requests(), std::vector<std::string>{Frame("FFFC0100000000E3B")});
}

// The floors whose ten writes were refused are named, and the dialog stays
// open so that OK can be pressed again.
TEST_F(LockoutDlgTest, RefusedFloorsAreNamedAndKeepTheDialogOpen)
{
    Floors(3);
    Open();
    m_script = [](const std::string& request) {
        return request.substr(0, 7) == "\x02" "FFFC02" ? Frame("FFFC045") : std::string();
    };
    ClearRequests();
    Click(dialog.get(), 1);
    EXPECT_EQ(Requests().size(), 1u + 10u + 1u);
    EXPECT_EQ(m_boxes.Texts(), QStringList{"楼层 2 的时间段写入失败，请再按确定!"});
    EXPECT_TRUE(dialog->isVisible());

    m_script = {};
    m_boxes.Clear();
    Click(dialog.get(), 1);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(m_boxes.Count(), 0);
}

// Every try of a floor's write, the first too, comes 50 ms after the read
// before it: the controller never gets two writes closer than that plus the
// read's first 80 ms poll (a lower bound at the controller's side, half the
// pause spared for its timing).
TEST_F(LockoutDlgTest, EachWriteTryComesItsPauseAfterTheLastReply)
{
    Floors(2);
    Open();
    m_script = [refused = std::set<std::string>()](const std::string& request) mutable {
        return refused.insert(request).second ? Frame("FFFC045") : std::string();
    };
    const CTimeScaleScope fullScale(1.0);
    ClearRequests();
    Click(dialog.get(), 1);
    ASSERT_EQ(Requests().size(), 4u); // each floor refused once
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_GE(s_peer->ShortestRequestGapMs(), 80 + 50 / 2);
}

TEST_F(LockoutDlgTest, CancelWritesNothing)
{
    Floors(2);
    Open();
    ClearRequests();
    Click(dialog.get(), 2);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(Requests().empty());
}

// Escape or the progress's 取消 during OK's writes stop them after the write
// in flight; the message says what was written, what the controller refused
// before the stop and what was not sent, and the dialog stays open.
TEST_F(LockoutDlgTest, StoppedWritesSayWhatWentInAndWhatWasRefused)
{
    const struct {
        const char* name;
        size_t atRequest;
        bool escape; // else 取消
        const char* message;
    } cases[] = {
        {"Escape at the first write", 1, true, "写入已停止。已写入的楼层：4。\n未写入的楼层：3、2、1。"},
        {"取消 after a refusal", 12, false,
         "写入已停止。已写入的楼层：4、2。\n楼层 3 的时间段写入失败。\n未写入的楼层：1。"},
    };
    for (const auto& c : cases) {
        Floors(4);
        Open();
        m_script = [](const std::string& request) {
            return request.substr(0, 7) == "\x02" "FFFC03" ? Frame("FFFC045") : std::string();
        };
        ClearRequests();
        m_boxes.Clear();
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (Requests().size() < c.atRequest || !poll.isActive())
                return;
            poll.stop();
            if (c.escape)
                QTest::keyClick(dialog->m_list, Qt::Key_Escape);
            else
                QTest::mouseClick(dialog->findChild<CProgressStrip*>()->findChild<QPushButton*>(), Qt::LeftButton);
        });
        poll.start(1);
        Click(dialog.get(), 1);
        EXPECT_EQ(Requests().size(), c.atRequest) << c.name;
        EXPECT_EQ(m_boxes.Texts(), QStringList{QString::fromUtf8(c.message)}) << c.name;
        EXPECT_TRUE(dialog->isVisible()) << c.name;
    }
}

TEST(LockoutTimeDlg, ChecksHoursAndMinutesInOrderAndStaysOpen)
{
    CMessageBoxRecorder boxes;
    CLockoutTimeDlg timeDlg(8, 30, 17, 0);
    Show(timeDlg);
    Type(&timeDlg, kStartHour, "24");
    Type(&timeDlg, kEndMinute, "60");
    Click(&timeDlg, 1);
    EXPECT_EQ(boxes.Texts(), QStringList{"Please enter an integer between 0 and 23."});
    EXPECT_TRUE(timeDlg.isVisible());

    boxes.Clear();
    Type(&timeDlg, kStartHour, "08");
    Click(&timeDlg, 1);
    EXPECT_EQ(boxes.Texts(), QStringList{"Please enter an integer between 0 and 59."});
    EXPECT_EQ(timeDlg.focusWidget(), Control<QWidget>(&timeDlg, kEndMinute));

    Type(&timeDlg, kEndMinute, "09");
    Click(&timeDlg, 1);
    EXPECT_EQ(timeDlg.result(), QDialog::Accepted);
    EXPECT_EQ(timeDlg.m_nStartHour, 8u);
    EXPECT_EQ(timeDlg.m_nEndMinute, 9u);
}

// A controller that misbehaves while the dialog reads: a floor shows the
// segment of a good reply or no times at all, and OK (the controller behaving
// again) writes back only what was shown, never a segment from a bad reply.
TEST_F(LockoutDlgTest, SegmentsFromBadRepliesAreNeitherShownNorWrittenBack)
{
    for (const Misbehaviour& misbehaviour : kMisbehaviours) {
        Floors(3);
        SeedSegment("FFFC02081E1100E5C");
        misbehaviour.start(m_sim->Misbehaviour());
        Open();
        m_sim->Misbehaviour() = CSimMisbehaviour();
        const QStringList floor2 = Row(1);
        if (misbehaviour.checkedReadsPass)
            EXPECT_EQ(floor2, QStringList({"2", "08:30", "17:00"})) << misbehaviour.name;
        else
            EXPECT_EQ(floor2.mid(1), QStringList({"", ""})) << misbehaviour.name;
        ClearRequests();
        Click(dialog.get(), 1);
        EXPECT_EQ(Requests().size(), misbehaviour.checkedReadsPass ? 3u : 0u)
            << misbehaviour.name << ": segments written back from bad replies";
        EXPECT_EQ(m_boxes.Count(), 0) << misbehaviour.name;
    }
}
