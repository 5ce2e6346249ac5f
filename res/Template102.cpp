// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

// The main dialog: one multi-line tab control that holds the seven pages.
DialogTemplate MakeTemplate102()
{
    return {102, "VELOR", 271, 359, "宋体", 10,
            {
                {1000, ControlKind::TabControl, "", 7, 7, 257, 340, StyleMultiLine},
            }};
}
