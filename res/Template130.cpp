// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

// The elevator status page: the running lamp and the state texts on the left,
// the direction arrow, load, floor and door texts at the top right, and the
// floor list with every floor's calls below them.
DialogTemplate MakeTemplate130()
{
    DialogTemplate page{130, "", 264, 355, "宋体", 10,
            {
                {1036, ControlKind::LampStatic, "#140", 20, 49, 9, 10},
                {1046, ControlKind::Static, "故障", 35, 48, 29, 20},
                {1041, ControlKind::Static, "状态", 21, 83, 35, 20},
                {1042, ControlKind::Static, "速度", 21, 122, 89, 19},
                {1048, ControlKind::Static, "群控", 21, 159, 39, 22},
                {1047, ControlKind::Static, "安全回路", 21, 194, 50, 22},
                {1044, ControlKind::Static, "门锁闭合", 21, 229, 55, 24},
                {1049, ControlKind::ArrowStatic, "#143", 173, 15, 18, 13},
                {1045, ControlKind::Static, "超载", 153, 28, 16, 8},
                {1057, ControlKind::Static, "楼层", 174, 28, 18, 16, StyleCenter},
                {1043, ControlKind::Static, "梯门", 198, 28, 16, 8},
                {1032, ControlKind::CellList, "", 127, 48, 121, 271},
                {1060, ControlKind::Button, "串口设置", 23, 301, 42, 17},
            }};
    page.style = DialogChild;
    return page;
}
