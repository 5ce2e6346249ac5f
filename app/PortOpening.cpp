#include "app/PortOpening.h"

#include "app/MessageBox.h"
#include "link/PortChannel.h"
#include "settings/PortSettings.h"
#include "settings/PortSetupDlg.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr unsigned kEventMask = 0x49; // received character, CTS change, break

// Why the device could not be opened, and what the technician can do about it.
QString FailureDetails(const QString& device, int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QString("无法打开 %1：没有访问权限。\n请将当前用户加入 dialout 组"
                       "（sudo usermod -aG dialout $USER），然后注销并重新登录。")
            .arg(device);
    case EBUSY:
    case EWOULDBLOCK:
        return QString("无法打开 %1：串口已被其他程序占用。\n请关闭正在使用该串口的程序后重试。").arg(device);
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return QString("无法打开 %1：设备不存在。\n请检查串口线或 USB 转串口适配器是否已连接，"
                       "并在串口设置中选择正确的端口。")
            .arg(device);
    case ENOTTY:
    case EISDIR:
        return QString("无法打开 %1：这不是串口设备。\n请在串口设置中选择正确的端口，"
                       "或将 ports 中的链接指向串口设备（如 /dev/ttyUSB0）。")
            .arg(device);
    default:
        return QString("无法打开 %1：%2").arg(device, QString::fromLocal8Bit(strerror(error)));
    }
}

} // namespace

bool OpenControllerPort(QObject* owner, const PortSettings& settings, int baud)
{
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
