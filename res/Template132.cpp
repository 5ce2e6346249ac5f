// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

// The shaft data page: the five switch and vane values at the top, the learnt
// floor positions below them, the self-learning and refresh buttons.
DialogTemplate MakeTemplate132()
{
    return {132, "", 266, 339, "宋体", 10,
            {
                {kStaticId, ControlKind::Static, "平层插板长度平层开关间距之和:", 37, 11, 62, 21},
                {1001, ControlKind::Edit, "", 132, 11, 88, 14},
                {kStaticId, ControlKind::Static, "双层上强慢开关位置:", 35, 35, 72, 8},
                {1003, ControlKind::Edit, "", 132, 32, 88, 14},
                {kStaticId, ControlKind::Static, "单层上强慢开关位置:", 35, 56, 72, 8},
                {1007, ControlKind::Edit, "", 132, 53, 88, 14},
                {kStaticId, ControlKind::Static, "双层下强慢开关位置:", 35, 77, 72, 8},
                {1009, ControlKind::Edit, "", 132, 74, 88, 14},
                {kStaticId, ControlKind::Static, "单层下强慢开关位置:", 35, 100, 72, 8},
                {1010, ControlKind::Edit, "", 132, 97, 88, 14},
                {1032, ControlKind::ListView, "", 34, 116, 155, 202, StyleBorder},
                {1002, ControlKind::Button, "自学习", 197, 117, 38, 14},
                {1008, ControlKind::Button, "刷新", 200, 304, 37, 14},
            },
            DialogChild | DialogNoCaption};
}
