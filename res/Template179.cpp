// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

// The floor lockout dialog: one row per floor with its start and end time.
// The enable box only carries the flag through and is never shown.
DialogTemplate MakeTemplate179()
{
    return {179, "时间段楼层封锁功能设置", 250, 207, "MS Shell Dlg", 8,
            {
                {1013, ControlKind::CheckBox, "开通时间段封锁功能", 15, 7, 123, 15, StyleHidden | StyleDisabled},
                {1032, ControlKind::ListView, "", 16, 26, 213, 153, StyleBorder | StyleMultiSelect},
                {1, ControlKind::DefPushButton, "确定", 53, 186, 50, 14},
                {2, ControlKind::Button, "取消", 145, 186, 50, 14},
            }};
}
