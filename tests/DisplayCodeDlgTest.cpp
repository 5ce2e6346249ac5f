// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/DisplayCodeDlg.h"

#include "tests/DialogDriver.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

using namespace DialogDriver;

namespace {

class DisplayCodeDlgTest : public ::testing::Test
{
protected:
    // Opens with `code`; the text of the selected entry.
    QString OpenWith(int code)
    {
        dialog.m_nCode = code;
        dialog.m_strPrompt = "1层楼显示代码";
        Show(dialog);
        return dialog.m_cbCode->currentText();
    }

    // Picks the entry at `position` as a click in the list does, then presses OK.
    int Choose(int position)
    {
        dialog.m_cbCode->setCurrentIndex(position);
        Click(&dialog, 1);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        return dialog.m_nCode;
    }

    int ChooseText(const QString& text) { return Choose(dialog.m_cbCode->findText(text)); }

    CDisplayCodeDlg dialog;
};

} // namespace

TEST_F(DisplayCodeDlgTest, OpensOnTheCurrentCodeOrOnTheFirstEntry)
{
    EXPECT_EQ(OpenWith(60), "B1");
    EXPECT_EQ(dialog.m_cbCode->count(), 255);
    EXPECT_EQ(Control<QLabel>(&dialog, 1036)->text(), "1层楼显示代码");
    for (const auto& [code, shown] : {std::pair{171, "L3"}, {172, "172"}, {200, "200"}, {255, "255"},
                                      {1, "1"}, {0, "1"}, {-3, "1"}, {256, "1"}}) {
        CDisplayCodeDlg other;
        other.m_nCode = code;
        Show(other);
        EXPECT_EQ(other.m_cbCode->currentText(), shown) << code;
    }
}

TEST_F(DisplayCodeDlgTest, ReturnsTheCodeOfTheChosenEntry)
{
    OpenWith(1);
    EXPECT_EQ(ChooseText("-1"), 50);
    EXPECT_EQ(ChooseText("出口"), 99);
    EXPECT_EQ(ChooseText("48"), 48);
    EXPECT_EQ(Choose(118), 119);  // the letter code shown as "49"
    EXPECT_EQ(dialog.m_cbCode->itemText(118), "49");
    // The two blanks are told apart by their place in the list.
    EXPECT_EQ(Choose(48), 49);
    EXPECT_EQ(Choose(58), 59);
    EXPECT_EQ(dialog.m_cbCode->itemText(58), " ");
    EXPECT_EQ(ChooseText("KE9"), 159);
    EXPECT_EQ(ChooseText("172"), 172);
}

TEST_F(DisplayCodeDlgTest, KeyboardCannotLeaveTheSelectorWithoutAnEntry)
{
    OpenWith(60);
    EXPECT_FALSE(dialog.m_cbCode->isEditable());
    QTest::keyClicks(dialog.m_cbCode, "xyz");
    QTest::keyClick(dialog.m_cbCode, Qt::Key_Delete);
    EXPECT_GE(dialog.m_cbCode->currentIndex(), 0);
    Click(&dialog, 1);
    EXPECT_GE(dialog.m_nCode, 1);
}

TEST_F(DisplayCodeDlgTest, CancelKeepsTheCode)
{
    OpenWith(200);
    dialog.m_cbCode->setCurrentIndex(3);
    Click(&dialog, 2);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.m_nCode, 200);
}
