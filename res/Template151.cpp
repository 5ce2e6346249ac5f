// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

// The clock setting dialog: the date (year, month, day) on the first row and
// the time (hour, minute, second) on the second, each edit followed by its
// unit; below them the choice of the laptop's time.
DialogTemplate MakeTemplate151()
{
    return {151, "Dialog", 133, 143, "宋体", 10,
            {
                {1001, ControlKind::Edit, "", 25, 40, 15, 14},
                {kStaticId, ControlKind::Static, "年", 43, 44, 10, 8},
                {1003, ControlKind::Edit, "", 55, 40, 15, 14},
                {kStaticId, ControlKind::Static, "月", 73, 44, 10, 8},
                {1007, ControlKind::Edit, "", 85, 40, 15, 14},
                {kStaticId, ControlKind::Static, "日", 103, 44, 10, 8},
                {1002, ControlKind::Edit, "", 25, 60, 15, 14},
                {kStaticId, ControlKind::Static, "时", 42, 63, 10, 8},
                {1004, ControlKind::Edit, "", 55, 60, 15, 14},
                {kStaticId, ControlKind::Static, "分", 72, 63, 10, 8},
                {1008, ControlKind::Edit, "", 85, 60, 15, 14},
                {kStaticId, ControlKind::Static, "秒", 103, 63, 10, 8},
                {1005, ControlKind::CheckBox, "使用电脑时间", 25, 88, 90, 10},
                {1, ControlKind::DefPushButton, "OK", 7, 122, 50, 14},
                {2, ControlKind::Button, "Cancel", 76, 122, 50, 14},
            }};
}
