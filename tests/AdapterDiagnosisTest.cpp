// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TemplateLoader.h"
#include "settings/AdapterDiagnosis.h"
#include "settings/PortDeviceLine.h"
#include "tests/MessageBoxRecorder.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <functional>

namespace {

// A temporary /sys, /proc and udev rule folders of a laptop: USB devices with
// the driver of their first interface, processes by name, rule files.
class CFakeMachine
{
public:
    QString Path(const QString& relative) const { return m_root.path() + "/" + relative; }
    void Adapter(const QString& port, const QByteArray& ids, const QString& driver = {}) const
    {
        const QString device = Path("sys/bus/usb/devices/" + port);
        Write(device + "/idVendor", ids.left(4));
        Write(device + "/idProduct", ids.mid(5));
        QDir().mkpath(device + "/" + port + ":1.0");
        if (!driver.isEmpty())
            QFile::link("../../../drivers/" + driver, device + "/" + port + ":1.0/driver");
    }
    void EmptyBus() const { QDir().mkpath(Path("sys/bus/usb/devices")); }
    void Process(int pid, const QByteArray& name) const { Write(Path(QString("proc/%1/comm").arg(pid)), name + "\n"); }
    void Rule(const QString& folder, const QString& name) const { Write(Path("files" + folder + "/" + name), "#\n"); }
    void Mask(const QString& name) const
    {
        QDir().mkpath(Path("files/etc/udev/rules.d"));
        QFile::link("/dev/null", Path("files/etc/udev/rules.d/" + name));
    }
    CAdapterDiagnosis Diagnosis() const { return CAdapterDiagnosis({Path("sys"), Path("proc"), Path("files")}); }

private:
    static void Write(const QString& path, const QByteArray& contents)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }

    QTemporaryDir m_root;
};

struct DiagnosisCase
{
    const char* name;
    std::function<void(const CFakeMachine&)> machine;
    bool adapterListed;
    QStringList whats;
    QStringList inDetails; // each somewhere in the findings' details
};

TEST(AdapterDiagnosis, SaysOnlyWhatTheMachineShows)
{
    const QString usrLib = "/usr/lib/udev/rules.d";
    const DiagnosisCase cases[] = {
        {"the serial driver has the adapter", [](const CFakeMachine& m) { m.Adapter("1-1", "1a86:7523", "ch341"); },
         true, {}, {}},
        {"brltty took a CH340 through usbfs and its rule is in force",
         [&](const CFakeMachine& m) {
             m.Adapter("1-2", "1a86:7523", "usbfs");
             m.Process(812, "brltty");
             m.Rule(usrLib, "85-brltty.rules");
         },
         false, {"CH340 适配器被程序占用", "brltty 在运行，brltty 的规则在起作用"},
         {"USB 口 1-2 上的 CH340 适配器（1a86:7523）", "sudo apt remove brltty",
          "sudo ln -sf /dev/null /etc/udev/rules.d/85-brltty.rules"}},
        {"a masked brltty rule does not count; the bus holds no adapter",
         [&](const CFakeMachine& m) {
             m.EmptyBus();
             m.Rule(usrLib, "85-brltty.rules");
             m.Mask("85-brltty.rules");
             m.Process(77, "brltty-ctb");
         },
         false, {"USB 上没有串口适配器"}, {}},
        {"adapters without a driver and taken by another",
         [](const CFakeMachine& m) {
             m.Adapter("3-1", "10c4:ea60");
             m.Adapter("3-2", "0403:6001", "ftdi_jtag");
         },
         false, {"CP210x 适配器没有驱动", "FT232R 适配器被驱动 ftdi_jtag 占用"},
         {"sudo modprobe cp210x", "sudo modprobe -r ftdi_jtag"}},
        {"brltty is not named while an adapter is listed; ModemManager without velor's rule is",
         [](const CFakeMachine& m) {
             m.Process(812, "brltty");
             m.Process(400, "ModemManager");
         },
         true, {"ModemManager 在运行"}, {"70-velor-serial.rules"}},
        {"ModemManager with velor's rule installed under /usr/local",
         [](const CFakeMachine& m) {
             m.Process(400, "ModemManager");
             m.Rule("/usr/local/lib/udev/rules.d", "70-velor-serial.rules");
         },
         true, {}, {}},
    };
    for (const DiagnosisCase& row : cases) {
        SCOPED_TRACE(row.name);
        CFakeMachine machine;
        row.machine(machine);
        QStringList whats, details;
        for (const AdapterFinding& finding : machine.Diagnosis().Diagnose(row.adapterListed)) {
            whats << finding.what;
            details << finding.detail;
        }
        EXPECT_EQ(whats, row.whats);
        for (const QString& part : row.inDetails)
            EXPECT_TRUE(details.join("\n").contains(part)) << part.toStdString();
    }
}

TEST(AdapterDiagnosis, ShippedRuleKeepsModemManagerFromEveryKnownAdapter)
{
    QFile rule(VELOR_SOURCE_DIR "/res/" + QString(CAdapterDiagnosis::kRuleName));
    ASSERT_TRUE(rule.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(rule.readAll());
    for (const KnownAdapter& adapter : CAdapterDiagnosis::KnownAdapters())
        EXPECT_TRUE(text.contains(QString(R"(ATTRS{idVendor}=="%1", ATTRS{idProduct}=="%2", ENV{ID_MM_DEVICE_IGNORE}="1")")
                                      .arg(adapter.vendor, adapter.product)))
            << adapter.chip;
}

// The settings dialog's device line on a machine without any serial device
// and brltty running: the note names it, its link shows the fix.
TEST(AdapterDiagnosis, DeviceLineNoteLinksToTheDetails)
{
    CFakeMachine machine;
    machine.EmptyBus();
    machine.Process(812, "brltty");
    QDir().mkpath(machine.Path("dev"));
    QWidget dialog;
    CTemplateLoader::Load(158, &dialog);
    CPortDeviceLine line(&dialog, Control<QComboBox>(&dialog, 1054),
                         CSerialDeviceList({machine.Path("dev"), machine.Path("sys"), machine.Path("ports"),
                                            machine.Path("lock")}, {}),
                         machine.Diagnosis());
    EXPECT_TRUE(line.Note()->text().startsWith("未找到 USB 串口适配器：USB 上没有串口适配器；brltty 在运行"))
        << line.Note()->text().toStdString();

    CMessageBoxRecorder boxes;
    emit line.Note()->linkActivated("details");
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_TRUE(boxes.Texts()[0].contains("sudo apt remove brltty"));
}

} // namespace
