// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QObject;
struct PortSettings;

// Opens g_port with the stored line settings at the given baud rate, the
// owner receiving the forwarded bytes; true when the port is open.
bool OpenControllerPort(QObject* owner, const PortSettings& settings, int baud);

// "串口初始化失败，请重新设置" with the device, the reason and its remedy as
// details, then the serial settings dialog.
void ReportPortFailure();
