// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

// The elevator parameter page: the parameter list over the IC card, save,
// import, reset and refresh buttons.
DialogTemplate MakeTemplate135()
{
    return {135, "", 261, 333, "宋体", 10,
            {
                {1032, ControlKind::ListView, "", 7, 8, 242, 289, StyleBorder},
                {1037, ControlKind::Button, "IC卡授权", 16, 305, 44, 14},
                {1035, ControlKind::Button, "保存", 80, 305, 28, 14},
                {1008, ControlKind::Button, "导入", 121, 305, 28, 14},
                {1004, ControlKind::Button, "复位", 161, 305, 28, 14},
                {1002, ControlKind::Button, "刷新", 200, 305, 28, 14},
            },
            DialogChild | DialogNoCaption};
}
