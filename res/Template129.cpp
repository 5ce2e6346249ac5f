// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

// The general page: program name, elevator ID, telephone number and run count
// with their set and reset buttons, the controller's clock, refresh.
DialogTemplate MakeTemplate129()
{
    return {129, "", 262, 334, "宋体", 10,
            {
                {kStaticId, ControlKind::Static, "程序名称:", 38, 43, 35, 8},
                {1009, ControlKind::Edit, "", 83, 40, 132, 14, StyleDisabled},
                {kStaticId, ControlKind::Static, "电梯ID:", 38, 81, 28, 8},
                {1001, ControlKind::Edit, "", 83, 77, 95, 14},
                {1002, ControlKind::Button, "设置", 187, 77, 35, 14},
                {kStaticId, ControlKind::Static, "电话号码:", 38, 117, 35, 8},
                {1003, ControlKind::Edit, "", 83, 113, 95, 14},
                {1004, ControlKind::Button, "设置", 187, 113, 35, 14},
                {kStaticId, ControlKind::Static, "运行次数:", 38, 146, 35, 8},
                {1007, ControlKind::Edit, "", 83, 142, 95, 14, StyleDisabled},
                {1008, ControlKind::Button, "复位", 187, 142, 35, 14},
                {1053, ControlKind::Static, "时间", 38, 177, 111, 11, StyleBorder},
                {1011, ControlKind::Button, "设置时钟", 172, 176, 50, 14},
                {1056, ControlKind::Button, "刷新", 203, 297, 38, 17},
            },
            DialogChild | DialogNoCaption};
}
