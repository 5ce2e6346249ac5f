// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/ClockDlg.h"

#include "tests/DialogDriver.h"
#include "tests/MessageBoxRecorder.h"

#include <gtest/gtest.h>

using namespace DialogDriver;

namespace {

// Edits in the order they are checked: year, month, day, hour, minute, second.
constexpr int kEdits[] = {1001, 1003, 1007, 1002, 1004, 1008};

class ClockDlgTest : public ::testing::Test
{
protected:
    ClockDlgTest()
    {
        dialog.m_nYear = 26;
        dialog.m_nMonth = 12;
        dialog.m_nDay = 7;
        dialog.m_nHour = 9;
        dialog.m_nMinute = 5;
        dialog.m_nSecond = 0;
        Show(dialog);
    }

    // Types the six texts and presses OK; the prompts shown, if any.
    QStringList Enter(const QStringList& texts)
    {
        boxes.Clear();
        for (int i = 0; i < 6; ++i)
            Type(&dialog, kEdits[i], texts[i]);
        Click(&dialog, 1);
        return boxes.Texts();
    }

    CMessageBoxRecorder boxes;
    CClockDlg dialog;
};

} // namespace

TEST_F(ClockDlgTest, OpensWithTheCallersClockInDecimal)
{
    QStringList shown;
    for (int id : kEdits)
        shown << Text(&dialog, id);
    EXPECT_EQ(shown, QStringList({"26", "12", "7", "9", "5", "0"}));
}

TEST_F(ClockDlgTest, TakesTheLeadingDigitsOfEachField)
{
    EXPECT_TRUE(Enter({"5", "0", "0", " 23", "12x", "59"}).isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.m_nYear, 5u);
    EXPECT_EQ(dialog.m_nMonth, 0u);
    EXPECT_EQ(dialog.m_nDay, 0u);
    EXPECT_EQ(dialog.m_nHour, 23u);
    EXPECT_EQ(dialog.m_nMinute, 12u);
    EXPECT_EQ(dialog.m_nSecond, 59u);
}

TEST_F(ClockDlgTest, RefusesTheFirstBadFieldAndStaysOpen)
{
    const QString range = "Please enter an integer between %1 and %2.";
    const QString noNumber = "Please enter a positive integer.";
    EXPECT_EQ(Enter({"100", "1", "1", "0", "0", "0"}), QStringList{range.arg(0).arg(99)});
    EXPECT_EQ(Enter({"26", "13", "1", "0", "0", "0"}), QStringList{range.arg(0).arg(12)});
    EXPECT_EQ(Enter({"26", "1", "32", "0", "0", "0"}), QStringList{range.arg(0).arg(31)});
    EXPECT_EQ(Enter({"26", "1", "1", "24", "0", "0"}), QStringList{range.arg(0).arg(23)});
    // -1 is a number, read as a very large one, so the range refuses it.
    EXPECT_EQ(Enter({"26", "1", "1", "0", "-1", "0"}), QStringList{range.arg(0).arg(59)});
    EXPECT_EQ(Enter({"26", "1", "1", "0", "60", "0"}), QStringList{range.arg(0).arg(59)});
    EXPECT_EQ(Enter({"26", "1", "1", "0", "0", "60"}), QStringList{range.arg(0).arg(59)});
    EXPECT_EQ(Enter({"26", "1", "1", "0", "0", ""}), QStringList{noNumber});
    EXPECT_EQ(Enter({"26", "x", "1", "0", "0", "0"}), QStringList{noNumber});
    // Two bad fields: only the first in checking order (day before hour) is named.
    EXPECT_EQ(Enter({"26", "1", "40", "99", "0", "0"}), QStringList{range.arg(0).arg(31)});
    EXPECT_EQ(dialog.focusWidget(), Control<QLineEdit>(&dialog, 1007));
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(ClockDlgTest, CancelKeepsTheCallersClock)
{
    Type(&dialog, 1001, "30");
    Click(&dialog, 2);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.m_nYear, 26u);
}
