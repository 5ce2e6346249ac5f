// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/AdapterDiagnosis.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Where udev reads its rules, the folder that wins first: a file there masks
// one of the same name further down.
const char* const kRuleFolders[] = {"/etc/udev/rules.d", "/run/udev/rules.d", "/usr/local/lib/udev/rules.d",
                                    "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};

QString FirstLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readLine(256)).trimmed();
}

const KnownAdapter* FindAdapter(const QString& vendor, const QString& product)
{
    for (const KnownAdapter& adapter : CAdapterDiagnosis::KnownAdapters())
        if (vendor.compare(adapter.vendor, Qt::CaseInsensitive) == 0
            && product.compare(adapter.product, Qt::CaseInsensitive) == 0)
            return &adapter;
    return nullptr;
}

// The drivers bound to the interfaces of a USB device ("1-2" has "1-2:1.0", ...).
QStringList InterfaceDrivers(const QFileInfo& device)
{
    QStringList drivers;
    const QDir folder(device.filePath());
    for (const QFileInfo& interface : folder.entryInfoList({device.fileName() + ":*"}, QDir::Dirs, QDir::Name)) {
        const QFileInfo driver(interface.filePath() + "/driver");
        if (driver.isSymLink())
            drivers << QFileInfo(driver.symLinkTarget()).fileName();
    }
    return drivers;
}

// A known adapter whose serial driver is not bound: none is, a program holds
// it through usbfs, or another driver took it.
AdapterFinding UnboundAdapter(const QString& port, const KnownAdapter& known, const QString& vendor,
                              const QString& product, const QString& driver)
{
    const QString adapter = QString("USB 口 %1 上的 %2 适配器（%3:%4）").arg(port, known.chip, vendor, product);
    if (driver.isEmpty())
        return {QString("%1 适配器没有驱动").arg(known.chip),
                QString("%1没有驱动。请加载它的串口驱动（sudo modprobe %2），然后重新插入适配器。").arg(adapter, known.driver)};
    if (driver == "usbfs")
        return {QString("%1 适配器被程序占用").arg(known.chip),
                adapter + "被一个程序直接占用（usbfs），没有串口设备。请关闭占用它的程序，然后重新插入适配器。"};
    return {QString("%1 适配器被驱动 %2 占用").arg(known.chip, driver),
            QString("%1被驱动 %2 占用，没有串口设备；它的串口驱动是 %3。请卸下 %2（sudo modprobe -r %2），"
                    "然后重新插入适配器。").arg(adapter, driver, known.driver)};
}

} // namespace

const std::vector<KnownAdapter>& CAdapterDiagnosis::KnownAdapters()
{
    static const std::vector<KnownAdapter> adapters = {
        {"1a86", "7523", "CH340", "ch341"},   {"1a86", "7522", "CH340", "ch341"},   {"1a86", "5523", "CH341", "ch341"},
        {"10c4", "ea60", "CP210x", "cp210x"}, {"10c4", "ea70", "CP2105", "cp210x"}, {"10c4", "ea71", "CP2108", "cp210x"},
        {"0403", "6001", "FT232R", "ftdi_sio"}, {"0403", "6010", "FT2232", "ftdi_sio"},
        {"0403", "6011", "FT4232", "ftdi_sio"}, {"0403", "6014", "FT232H", "ftdi_sio"},
        {"0403", "6015", "FT230X/FT231X", "ftdi_sio"}, {"067b", "2303", "PL2303", "pl2303"},
        {"067b", "23a3", "PL2303G", "pl2303"},
    };
    return adapters;
}

CAdapterDiagnosis::CAdapterDiagnosis(Roots roots)
    : m_roots(std::move(roots))
{
}

std::vector<AdapterFinding> CAdapterDiagnosis::Diagnose(bool adapterListed) const
{
    std::vector<AdapterFinding> findings;
    const bool taken = CheckAdapters(findings, adapterListed);
    if (!adapterListed || taken)
        CheckBrltty(findings);
    CheckModemManager(findings);
    return findings;
}

// Known adapters on the USB bus whose serial driver is not bound. Returns
// whether one was taken by another driver or a program. With nothing listed,
// a bus without any known adapter is said too.
bool CAdapterDiagnosis::CheckAdapters(std::vector<AdapterFinding>& findings, bool adapterListed) const
{
    bool seen = false;
    bool taken = false;
    const QDir bus(m_roots.sys + "/bus/usb/devices");
    for (const QFileInfo& device : bus.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (device.fileName().contains(':'))
            continue; // an interface, not a device
        const QString vendor = FirstLine(device.filePath() + "/idVendor");
        const QString product = FirstLine(device.filePath() + "/idProduct");
        const KnownAdapter* known = FindAdapter(vendor, product);
        if (!known)
            continue;
        seen = true;
        const QStringList drivers = InterfaceDrivers(device);
        if (drivers.contains(known->driver))
            continue;
        taken = taken || !drivers.isEmpty();
        findings.push_back(UnboundAdapter(device.fileName(), *known, vendor, product, drivers.value(0)));
    }
    if (!seen && !adapterListed && bus.exists())
        findings.push_back({"USB 上没有串口适配器",
                            "USB 总线上没有 CH340、CP210x、FT232、PL2303 等已知的串口适配器。请检查适配器和线是否插好，"
                            "或换一个 USB 口；其他芯片的适配器插入时内核的记录见 sudo dmesg。"});
    return taken;
}

void CAdapterDiagnosis::CheckBrltty(std::vector<AdapterFinding>& findings) const
{
    const bool running = Running("brltty");
    const QStringList rules = RulesInForce("brltty");
    if (!running && rules.isEmpty())
        return;
    QStringList what, detail;
    if (running) {
        what << "brltty 在运行";
        detail << "brltty 正在运行。";
    }
    if (!rules.isEmpty()) {
        what << "brltty 的规则在起作用";
        detail << "brltty 的 udev 规则 " + rules.join("、") + " 在起作用。";
    }
    detail << "brltty 会把 CH340、CP210x、FT232 等适配器从串口驱动手里拿走。不用盲文显示器时请卸载它：sudo apt remove brltty";
    QStringList masks;
    for (const QString& rule : rules)
        masks << "sudo ln -sf /dev/null /etc/udev/rules.d/" + QFileInfo(rule).fileName();
    if (!masks.isEmpty())
        detail << "；要保留它时屏蔽它的规则：" + masks.join("；");
    detail << "。然后重新插入适配器。";
    findings.push_back({what.join("，"), detail.join("")});
}

void CAdapterDiagnosis::CheckModemManager(std::vector<AdapterFinding>& findings) const
{
    if (!Running("ModemManager") || !RuleInForce(kRuleName).isEmpty())
        return;
    const QString detail = QString("ModemManager 正在运行，velor 的 udev 规则 %1 没有安装。"
                                   "ModemManager 会向新插入的串口发送 AT 命令，控制器不应收到这些命令。"
                                   "请安装 velor 的软件包（或 sudo cmake --install），规则随之装上；"
                                   "或者停止它：sudo systemctl stop ModemManager。然后重新插入适配器。")
                               .arg(kRuleName);
    findings.push_back({"ModemManager 在运行", detail});
}

// A process whose name (/proc/<pid>/comm) is program.
bool CAdapterDiagnosis::Running(const QString& program) const
{
    const QDir proc(m_roots.proc);
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isPid = false;
        entry.toInt(&isPid);
        if (isPid && FirstLine(QString("%1/%2/comm").arg(m_roots.proc, entry)) == program)
            return true;
    }
    return false;
}

QStringList CAdapterDiagnosis::RuleFolders() const
{
    QStringList folders;
    for (const char* folder : kRuleFolders)
        folders << m_roots.files + folder;
    return folders;
}

// The rule file udev reads under this name; empty when there is none or when
// the first one is masked (empty, or a link to /dev/null).
QString CAdapterDiagnosis::RuleInForce(const QString& fileName) const
{
    for (const QString& folder : RuleFolders()) {
        const QFileInfo rule(folder + "/" + fileName);
        if (rule.exists())
            return rule.size() > 0 ? rule.filePath() : QString();
    }
    return {};
}

QStringList CAdapterDiagnosis::RulesInForce(const QString& nameContains) const
{
    QStringList names;
    for (const QString& folder : RuleFolders())
        for (const QString& name : QDir(folder).entryList({"*" + nameContains + "*.rules"}, QDir::Files))
            if (!names.contains(name))
                names << name;
    QStringList rules;
    for (const QString& name : names)
        if (const QString rule = RuleInForce(name); !rule.isEmpty())
            rules << rule;
    return rules;
}
