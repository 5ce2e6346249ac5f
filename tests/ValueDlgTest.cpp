// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/ValueDlg.h"

#include "tests/DialogDriver.h"
#include "tests/MessageBoxRecorder.h"

#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

using namespace DialogDriver;

namespace {

constexpr int kValueEdit = 1001;

} // namespace

// OK takes a whole decimal number within the parameter's range and nothing
// else: every typing slip is named with the range and the dialog stays open.
TEST(ValueDlg, OkTakesOnlyAWholeNumberWithinTheRange)
{
    struct Case
    {
        QString typed;
        int most;
        int value; // -1: refused
    };
    const Case cases[] = {
        {"1750", 0xFFFF, 1750}, {" 42 ", 0xFFFF, 42},  {"0", 0xFFFF, 0},       {"65535", 0xFFFF, 65535},
        {"007", 0xFF, 7},       {"255", 0xFF, 255},    {"256", 0xFF, -1},      {"65536", 0xFFFF, -1},
        {"70000", 0xFFFF, -1},  {"", 0xFFFF, -1},      {"abc", 0xFFFF, -1},    {"0x1F", 0xFFFF, -1},
        {"１２", 0xFFFF, -1},   {"一千", 0xFFFF, -1},  {"-5", 0xFFFF, -1},     {"+5", 0xFFFF, -1},
        {"1.75", 0xFFFF, -1},   {"12 3", 0xFFFF, -1},  {"99999999999999", 0xFFFF, -1},
    };
    for (const Case& c : cases) {
        CMessageBoxRecorder boxes;
        CValueDlg dialog;
        dialog.m_strPrompt = "启动速度";
        dialog.m_strValue = "150";
        dialog.m_nMost = c.most;
        Show(dialog);
        EXPECT_EQ(Control<QLabel>(&dialog, 1036)->text(), "启动速度");
        EXPECT_EQ(Text(&dialog, kValueEdit), "150");
        Type(&dialog, kValueEdit, c.typed);
        Click(&dialog, 1);
        const bool taken = c.value >= 0;
        EXPECT_EQ(dialog.result() == QDialog::Accepted, taken) << c.typed.toStdString();
        if (taken) {
            EXPECT_EQ(dialog.m_nValue, c.value) << c.typed.toStdString();
            EXPECT_EQ(boxes.Count(), 0);
        } else {
            EXPECT_EQ(boxes.Texts(), QStringList{QString("参数值必须是 0 到 %1 之间的整数。").arg(c.most)})
                << c.typed.toStdString();
            EXPECT_TRUE(dialog.isVisible()) << "the dialog stays open for a correction";
        }
        dialog.close();
    }
}

TEST(ValueDlg, EscapeAndCancelLeaveTheValue)
{
    for (const bool byEscape : {true, false}) {
        CValueDlg dialog;
        dialog.m_strValue = "7";
        QTimer::singleShot(0, &dialog, [&] {
            Type(&dialog, kValueEdit, "8");
            if (byEscape)
                QTest::keyClick(Control<QLineEdit>(&dialog, kValueEdit), Qt::Key_Escape);
            else
                Click(&dialog, 2);
        });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
        EXPECT_EQ(dialog.m_strValue, "7");
    }
}
