// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/PortOpening.h"

#include "ui/MessageBox.h"
#include "link/LineState.h"
#include "link/PortChannel.h"
#include "settings/PortSettings.h"
#include "settings/PortSetupDlg.h"
#include "settings/SerialDeviceList.h"

namespace {

constexpr unsigned kEventMask = 0x49; // received character, CTS change, break

// Why the device could not be opened, what the technician can do about it,
// and where the device is chosen.
QString FailureDetails(const QString& device, int error)
{
    QString details = QString("无法打开 %1：%2。").arg(device, OpenFailureReason(error));
    const QString remedy = OpenFailureRemedy(error);
    if (!remedy.isEmpty())
        details += "\n" + remedy;
    return details + "\n串口对应的设备在“串口设置”的“设备”一栏中选择。";
}

} // namespace

// What the line showed before tells nothing about the port opened now (at
// another rate, perhaps to another device).
bool OpenControllerPort(QObject* owner, const PortSettings& settings, int baud)
{
    CLineState::SetLineUp(true);
    return g_port.Open(owner, settings.port, baud, settings.parity, settings.dataBits, settings.stopBits,
                       kEventMask) == 1;
}

void ReportPortFailure()
{
    VelorMessageBox("串口初始化失败，请重新设置", MB_OK, {},
                    FailureDetails(g_port.LastOpenDevice(), g_port.LastOpenErrno()));
    CPortSetupDlg dialog;
    dialog.exec();
}
