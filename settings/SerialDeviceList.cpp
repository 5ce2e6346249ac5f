// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SerialDeviceList.h"

#include "link/ConfigFolder.h"
#include "link/PortChannel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <csignal>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kPortCount = 9; // COM1 to COM9, as the port selector offers

QString Canonical(const QString& path)
{
    return QFileInfo(path).canonicalFilePath();
}

// The adapter's name in a stable name: "usb-FTDI_FT232R_USB_UART_A1B2-if00-port0"
// names "FTDI FT232R USB UART A1B2" (bus prefix and interface suffix dropped,
// underscores back to spaces).
QString AdapterName(const QString& stableName)
{
    static const QRegularExpression bus("^(usb|pci|platform)-");
    static const QRegularExpression interface("-if[0-9a-fA-F]+(-port[0-9]+)?$");
    QString name = stableName;
    name.remove(bus).remove(interface);
    return name.replace('_', ' ').trimmed();
}

QString GroupName(gid_t gid)
{
    const group* entry = getgrgid(gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(gid);
}

// Opens the device as the port channel does and takes its lock at once:
// 0 when another program holds neither, otherwise the errno that says why not.
int TryOpen(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = flock(fd, LOCK_EX | LOCK_NB) < 0 ? (errno == EWOULDBLOCK ? EBUSY : errno) : 0;
    ::close(fd);
    return error;
}

} // namespace

QString OpenFailureReason(int error)
{
    switch (error) {
    case EACCES:
    case EPERM: return "没有访问权限";
    case EBUSY:
    case EWOULDBLOCK: return "被其他程序占用";
    case ENOENT:
    case ENODEV:
    case ENXIO: return "设备不存在";
    case EIO: return "设备没有串口硬件或已断开";
    case ENOTTY:
    case EISDIR: return "这不是串口设备";
    default: return QString::fromLocal8Bit(strerror(error));
    }
}

QString OpenFailureRemedy(int error, const QString& group)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QString("请将当前用户加入 %1 组（sudo usermod -aG %1 $USER），然后注销并重新登录。").arg(group);
    case EBUSY:
    case EWOULDBLOCK: return "请关闭正在使用该串口的程序后重试。";
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case EIO: return "请检查串口线或 USB 转串口适配器是否已连接，并在串口设置中选择正确的设备。";
    case ENOTTY:
    case EISDIR: return "请在串口设置中选择正确的设备，或将 ports 中的链接指向串口设备（如 /dev/ttyUSB0）。";
    default: return {};
    }
}

CSerialDeviceList::Identity CSerialDeviceList::Identity::Current()
{
    Identity identity;
    identity.uid = geteuid();
    identity.groups.push_back(getegid());
    const int count = getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> more(count);
        if (getgroups(count, more.data()) == count)
            identity.groups.insert(identity.groups.end(), more.begin(), more.end());
    }
    return identity;
}

CSerialDeviceList::CSerialDeviceList()
    : CSerialDeviceList(Roots(), Identity::Current())
{
}

CSerialDeviceList::CSerialDeviceList(Roots roots, Identity identity)
    : m_roots(std::move(roots))
    , m_identity(std::move(identity))
{
}

QString CSerialDeviceList::PortsFolder() const
{
    return m_roots.ports.isEmpty() ? CConfigFolder::PortsFolder() : m_roots.ports;
}

QString CSerialDeviceList::PortLink(int portNumber) const
{
    return QString("%1/COM%2").arg(PortsFolder()).arg(portNumber);
}

// As the port channel resolves COMn, in this list's folders.
QString CSerialDeviceList::CurrentDevice(int portNumber) const
{
    const QFileInfo link(PortLink(portNumber));
    if (link.isSymLink())
        return link.symLinkTarget();
    if (link.exists())
        return link.filePath();
    return QString("%1/ttyS%2").arg(m_roots.dev).arg(portNumber - 1);
}

std::vector<SerialDevice> CSerialDeviceList::Scan(const QString& ownDevice) const
{
    std::vector<SerialDevice> devices;
    AddStableNames(devices, ownDevice);
    AddKernelNames(devices, "ttyUSB*", ownDevice);
    AddKernelNames(devices, "ttyACM*", ownDevice);
    AddUarts(devices, ownDevice);
    AddPortLinks(devices, ownDevice);
    return devices;
}

// A device reached under several names is listed once, under the first.
bool CSerialDeviceList::Listed(const std::vector<SerialDevice>& devices, const QString& path) const
{
    const QString canonical = Canonical(path);
    for (const SerialDevice& device : devices)
        if (device.path == path || (!canonical.isEmpty() && Canonical(device.path) == canonical))
            return true;
    return false;
}

void CSerialDeviceList::AddStableNames(std::vector<SerialDevice>& devices, const QString& ownDevice) const
{
    const QDir byId(m_roots.dev + "/serial/by-id");
    for (const QFileInfo& entry : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        if (Listed(devices, entry.filePath()))
            continue;
        const QString kernelName = QFileInfo(entry.canonicalFilePath()).fileName();
        devices.push_back(Describe(entry.filePath(), kernelName.isEmpty() ? entry.fileName() : kernelName,
                                   AdapterName(entry.fileName()), ownDevice));
    }
}

void CSerialDeviceList::AddKernelNames(std::vector<SerialDevice>& devices, const QString& pattern,
                                       const QString& ownDevice) const
{
    const QDir dev(m_roots.dev, pattern, QDir::Name, QDir::System | QDir::Files);
    for (const QFileInfo& entry : dev.entryInfoList())
        if (!Listed(devices, entry.filePath()))
            devices.push_back(Describe(entry.filePath(), entry.fileName(), "USB 串口", ownDevice));
}

void CSerialDeviceList::AddUarts(std::vector<SerialDevice>& devices, const QString& ownDevice) const
{
    const QDir dev(m_roots.dev, "ttyS*", QDir::Name, QDir::System | QDir::Files);
    for (const QFileInfo& entry : dev.entryInfoList())
        if (HasUart(entry.fileName()) && !Listed(devices, entry.filePath()))
            devices.push_back(Describe(entry.filePath(), entry.fileName(), "内置串口", ownDevice));
}

// The kernel makes a ttyS device for every possible port; only those whose
// UART was detected have a type other than 0 (unknown).
bool CSerialDeviceList::HasUart(const QString& name) const
{
    QFile type(QString("%1/class/tty/%2/type").arg(m_roots.sys, name));
    if (!type.open(QIODevice::ReadOnly))
        return false;
    return type.readAll().trimmed().toInt() != 0;
}

void CSerialDeviceList::AddPortLinks(std::vector<SerialDevice>& devices, const QString& ownDevice) const
{
    for (int port = 1; port <= kPortCount; ++port) {
        const QFileInfo link(PortLink(port));
        if (!link.isSymLink() && !link.exists())
            continue;
        const QString target = link.isSymLink() ? link.symLinkTarget() : link.filePath();
        if (!Listed(devices, target))
            devices.push_back(Describe(target, target, QString("COM%1 的链接").arg(port), ownDevice));
    }
}

SerialDevice CSerialDeviceList::Describe(const QString& path, const QString& name, const QString& description,
                                         const QString& ownDevice) const
{
    SerialDevice device{path, name, description, {}, {}};
    CheckAccess(device, ownDevice);
    return device;
}

// Terminal programs that do not lock the device itself leave a file
// LCK..<device name> holding their process id, in ASCII or as a binary int; a
// file whose process has ended is stale.
bool CSerialDeviceList::LockFileHeld(const QString& path) const
{
    QFile lock(QString("%1/LCK..%2").arg(m_roots.locks, QFileInfo(Canonical(path)).fileName()));
    if (!lock.open(QIODevice::ReadOnly))
        return false;
    const QByteArray contents = lock.read(64);
    bool ascii = false;
    pid_t pid = contents.trimmed().toInt(&ascii);
    if (!ascii && contents.size() == sizeof(int))
        memcpy(&pid, contents.constData(), sizeof(int));
    if (pid <= 0 || pid == getpid())
        return false;
    return kill(pid, 0) == 0 || errno == EPERM;
}

bool CSerialDeviceList::MayOpen(uid_t owner, gid_t group, mode_t mode) const
{
    constexpr mode_t readWrite = S_IRUSR | S_IWUSR;
    if (m_identity.uid == 0)
        return true;
    // As the kernel decides: the owner's bits for the owner, else the group's
    // bits for a member, else the others' bits.
    if (m_identity.uid == owner)
        return (mode & readWrite) == readWrite;
    for (gid_t gid : m_identity.groups)
        if (gid == group)
            return ((mode << 3) & readWrite) == readWrite;
    return ((mode << 6) & readWrite) == readWrite;
}

void CSerialDeviceList::CheckAccess(SerialDevice& device, const QString& ownDevice) const
{
    struct stat info{};
    int error = 0;
    if (stat(QFile::encodeName(device.path).constData(), &info) < 0) {
        error = errno;
    } else if (!MayOpen(info.st_uid, info.st_gid, info.st_mode)) {
        DescribeNoPermission(device, info.st_gid, info.st_mode);
        return;
    } else if (ownDevice.isEmpty() || Canonical(ownDevice) != Canonical(device.path)) {
        error = LockFileHeld(device.path) ? EBUSY : TryOpen(device.path);
    }
    if (error == 0)
        return;
    device.problem = OpenFailureReason(error);
    device.remedy = OpenFailureRemedy(error);
}

// Names the group whose members may open the device (normally dialout); a
// device only its owner may open needs the administrator.
void CSerialDeviceList::DescribeNoPermission(SerialDevice& device, gid_t group, mode_t mode)
{
    constexpr mode_t groupReadWrite = S_IRGRP | S_IWGRP;
    if ((mode & groupReadWrite) != groupReadWrite) {
        device.problem = OpenFailureReason(EACCES);
        device.remedy = "只有设备的所有者可以打开它；请管理员为它设置 dialout 组的读写权限。";
        return;
    }
    const QString name = GroupName(group);
    device.problem = QString("不在 %1 组").arg(name);
    device.remedy = OpenFailureRemedy(EACCES, name);
}

bool CSerialDeviceList::WritePortLink(int portNumber, const QString& device, QString* error) const
{
    const QString folder = PortsFolder();
    const QString link = PortLink(portNumber);
    const QString temporary = QString("%1/.COM%2.%3").arg(folder).arg(portNumber).arg(getpid());
    const QByteArray target = QFile::encodeName(device);
    const auto fail = [&](const QString& step) {
        if (error)
            *error = QString("%1 %2：%3").arg(step, link, QString::fromLocal8Bit(strerror(errno)));
        unlink(QFile::encodeName(temporary).constData());
        return false;
    };
    if (!QDir().mkpath(folder))
        return fail("无法创建文件夹");
    unlink(QFile::encodeName(temporary).constData());
    if (symlink(target.constData(), QFile::encodeName(temporary).constData()) < 0)
        return fail("无法写入链接");
    // rename replaces the old entry in one step.
    if (rename(QFile::encodeName(temporary).constData(), QFile::encodeName(link).constData()) < 0)
        return fail("无法写入链接");
    return true;
}
