// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

// The door machine parameter page: the parameter list over the save, import,
// reset and refresh buttons.
DialogTemplate MakeTemplate136()
{
    return {136, "", 262, 334, "宋体", 10,
            {
                {1032, ControlKind::ListView, "", 7, 8, 242, 289, StyleBorder},
                {1035, ControlKind::Button, "保存", 32, 305, 28, 14},
                {1008, ControlKind::Button, "导入", 89, 305, 28, 14},
                {1004, ControlKind::Button, "复位", 149, 305, 28, 14},
                {1002, ControlKind::Button, "刷新", 202, 305, 28, 14},
            },
            DialogChild | DialogNoCaption};
}
