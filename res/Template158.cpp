// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/DialogTemplates.h"

namespace {

const QStringList kBaudRates = {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};

} // namespace

// The serial settings dialog: six selectors and, under the baud rates, the
// fast line's check box in a group box, and the hidden
// special code field in a second, hidden group box; below them the line that
// chooses the serial device the port stands for with a note on why no USB
// adapter shows (empty when nothing was found), then the buttons.
DialogTemplate MakeTemplate158()
{
    const unsigned hiddenDisabled = StyleHidden | StyleDisabled;
    return {158, "串口设置", 220, 323, "MS Shell Dlg", 8,
            {
                {kStaticId, ControlKind::GroupBox, "串口设置", 18, 18, 177, 191},
                {kStaticId, ControlKind::Static, "端口：", 30, 35, 55, 8},
                {1054, ControlKind::ComboDropList, "", 87, 33, 91, 118, 0,
                 {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9"}},
                {kStaticId, ControlKind::Static, "电梯波特率：", 30, 64, 55, 8},
                {1055, ControlKind::ComboDropList, "", 87, 62, 91, 118, 0, kBaudRates},
                {kStaticId, ControlKind::Static, "门机波特率：", 30, 92, 55, 8},
                {1059, ControlKind::ComboDropList, "", 87, 90, 91, 118, 0, kBaudRates},
                {1064, ControlKind::CheckBox, "快速通讯", 87, 105, 91, 10},
                {kStaticId, ControlKind::Static, "数据位：", 30, 121, 55, 8},
                {1056, ControlKind::ComboDropList, "", 87, 119, 91, 118, 0, {"7", "8"}},
                {kStaticId, ControlKind::Static, "停止位：", 30, 152, 55, 8},
                {1057, ControlKind::ComboDropList, "", 87, 150, 91, 118, 0, {"1", "2"}},
                {kStaticId, ControlKind::Static, "校验位：", 30, 186, 55, 8},
                {1058, ControlKind::ComboDropList, "", 87, 184, 91, 118, 0, {"无", "奇", "偶"}},
                {kStaticId, ControlKind::GroupBox, "专用码", 17, 214, 177, 30, hiddenDisabled},
                {kStaticId, ControlKind::Static, "专用码：", 30, 228, 55, 8, hiddenDisabled},
                {1060, ControlKind::ComboDropDown, "", 87, 226, 91, 118, StyleHidden, {"0", "0", "0"}},
                {1061, ControlKind::Static, "设备：", 18, 252, 26, 8},
                {1062, ControlKind::ComboDropList, "", 46, 250, 149, 118},
                {1063, ControlKind::Static, "", 18, 266, 177, 26},
                {1, ControlKind::DefPushButton, "确定", 35, 302, 50, 14},
                {2, ControlKind::Button, "取消", 127, 302, 50, 14},
            }};
}
