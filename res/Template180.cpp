// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

// The floor time segment dialog: start and end time as hour and minute edits.
DialogTemplate MakeTemplate180()
{
    return {180, "楼层时间段设置", 207, 162, "MS Shell Dlg", 8,
            {
                {kStaticId, ControlKind::Static, "起始时间：", 17, 33, 48, 8},
                {1001, ControlKind::Edit, "", 68, 31, 36, 15},
                {kStaticId, ControlKind::Static, "：", 112, 33, 8, 8},
                {1003, ControlKind::Edit, "", 125, 31, 36, 15},
                {kStaticId, ControlKind::Static, "终止时间：", 17, 74, 48, 8},
                {1002, ControlKind::Edit, "", 68, 71, 36, 15},
                {kStaticId, ControlKind::Static, "：", 112, 73, 8, 8},
                {1004, ControlKind::Edit, "", 125, 70, 36, 15},
                {1, ControlKind::DefPushButton, "确定", 35, 141, 50, 14},
                {2, ControlKind::Button, "取消", 113, 141, 50, 14},
            }};
}
