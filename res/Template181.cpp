// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

// The IC card dialog: the card number over the valid/invalid choice. Button
// 1061 sends the card and leaves the dialog open; button 2 closes it.
DialogTemplate MakeTemplate181()
{
    return {181, "IC卡设置", 199, 143, "MS Shell Dlg", 8,
            {
                {kStaticId, ControlKind::Static, "授权卡号：", 19, 26, 55, 9},
                {1001, ControlKind::Edit, "", 87, 22, 85, 15},
                {1016, ControlKind::RadioButton, "有效", 36, 62, 50, 19},
                {1017, ControlKind::RadioButton, "无效", 115, 64, 53, 16},
                {1061, ControlKind::DefPushButton, "确定", 34, 122, 50, 14},
                {2, ControlKind::Button, "取消", 109, 122, 50, 14},
            }};
}
