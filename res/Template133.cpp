// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

// The fault codes page: the fault log list over the reset and refresh buttons.
DialogTemplate MakeTemplate133()
{
    return {133, "", 262, 330, "宋体", 10,
            {
                {1032, ControlKind::ListView, "", 11, 7, 236, 290, StyleBorder},
                {1002, ControlKind::Button, "复位", 141, 302, 41, 14},
                {1003, ControlKind::Button, "刷新", 195, 302, 41, 14},
            },
            DialogChild | DialogNoCaption};
}
