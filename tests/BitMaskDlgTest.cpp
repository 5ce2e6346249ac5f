// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs/BitMaskDlg.h"

#include "tests/DialogDriver.h"

#include <QCheckBox>

#include <gtest/gtest.h>

#include <cstring>

using namespace DialogDriver;

namespace {

QCheckBox* Box(CBitMaskDlg& dialog, int label)
{
    return Control<QCheckBox>(&dialog, 1013 + label - 1);
}

// The labels of the ticked boxes after opening with `mask`.
std::vector<int> TickedAfterOpening(CBitMaskDlg& dialog, const char* mask)
{
    std::strcpy(dialog.m_szMask, mask);
    Show(dialog);
    std::vector<int> ticked;
    for (int label = 1; label <= 16; ++label)
        if (Box(dialog, label)->isChecked())
            ticked.push_back(label);
    return ticked;
}

} // namespace

TEST(BitMaskDlg, OpensWithTheBoxesOfTheWireOrderMask)
{
    const std::vector<int> all = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    struct Case {
        const char* mask;
        std::vector<int> ticked;
    };
    for (const Case& c : {Case{"0100", {1}}, Case{"0001", {9}}, Case{"8000", {8}}, Case{"0080", {16}},
                          Case{"FFFF", all}, Case{"ff00", {1, 2, 3, 4, 5, 6, 7, 8}}, Case{"0000", {}}}) {
        CBitMaskDlg dialog;
        EXPECT_EQ(TickedAfterOpening(dialog, c.mask), c.ticked) << c.mask;
        EXPECT_EQ(Box(dialog, 16)->text(), "16");
    }
}

TEST(BitMaskDlg, OkReturnsTheTickedBoxesInUpperCaseWireOrder)
{
    struct Case {
        const char* opened;
        std::vector<int> toggled;
        const char* returned;
    };
    for (const Case& c : {Case{"0000", {1, 16}, "0180"}, Case{"0100", {1}, "0000"}, Case{"a5c3", {}, "A5C3"},
                          Case{"FFFF", {}, "FFFF"}}) {
        CBitMaskDlg dialog;
        dialog.m_strPrompt = "服务层1-16";
        TickedAfterOpening(dialog, c.opened);
        for (int label : c.toggled)
            Click(&dialog, 1013 + label - 1);
        Click(&dialog, 1);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_STREQ(dialog.m_szMask, c.returned) << c.opened;
    }
}

TEST(BitMaskDlg, CancelLeavesTheMask)
{
    CBitMaskDlg dialog;
    TickedAfterOpening(dialog, "0100");
    Click(&dialog, 1013 + 4);
    Click(&dialog, 2);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_STREQ(dialog.m_szMask, "0100");
}
