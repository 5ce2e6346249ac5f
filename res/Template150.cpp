// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

namespace {

constexpr int kFirstBoxId = 1013;
constexpr int kRowsPerColumn = 8;

// Check box "n" (1 to 16): bits 1-8 down the left column, 9-16 down the right.
ControlTemplate BitBox(int n)
{
    const int row = (n - 1) % kRowsPerColumn;
    const bool right = n > kRowsPerColumn;
    const int width = n >= 10 ? 24 : 20;
    return {kFirstBoxId + n - 1, ControlKind::CheckBox, QString::number(n), right ? 73 : 33, 36 + 10 * row, width, 10};
}

} // namespace

// The bit mask dialog: the parameter's description over sixteen check boxes.
DialogTemplate MakeTemplate150()
{
    DialogTemplate t{150, "", 133, 143, "宋体", 10, {{1051, ControlKind::Static, "Static", 7, 7, 119, 26}}, DialogNoCaption};
    for (int n = 1; n <= 16; ++n)
        t.controls.push_back(BitBox(n));
    t.controls.push_back({1, ControlKind::DefPushButton, "OK", 7, 122, 50, 14});
    t.controls.push_back({2, ControlKind::Button, "Cancel", 76, 122, 50, 14});
    return t;
}
