// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PortDeviceLine.h"
#include "settings/PortSetupDlg.h"
#include "settings/SerialDeviceList.h"
#include "tests/MessageBoxRecorder.h"
#include "tests/TempConfigHome.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <limits>
#include <sys/file.h>
#include <unistd.h>

namespace {

// A temporary folder standing in for /dev (with serial/by-id), /sys and the
// ports folder: USB adapters, built-in ports with and without a UART, and
// links as the simulated controller makes them.
class SerialDeviceListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS0", "ttyS1"})
            Touch(Dev(name));
        QDir().mkpath(Dev("serial/by-id"));
        QFile::link("../../ttyUSB0", Dev("serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2-if00-port0"));
        WriteFile(Sys("class/tty/ttyS0/type"), "4\n");
        WriteFile(Sys("class/tty/ttyS1/type"), "0\n");
        Touch(Path("pts/5"));
        QDir().mkpath(Ports());
        QFile::link(Path("pts/5"), Ports() + "/COM1");
        QFile::link(Dev("ttyUSB1"), Ports() + "/COM2");
    }

    QString Path(const QString& relative) const { return m_root.path() + "/" + relative; }
    QString Dev(const QString& name) const { return Path("dev/" + name); }
    QString Sys(const QString& name) const { return Path("sys/" + name); }
    QString Ports() const { return Path("ports"); }

    static void WriteFile(const QString& path, const QByteArray& contents)
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    static void Touch(const QString& path) { WriteFile(path, {}); }

    CSerialDeviceList List(CSerialDeviceList::Identity identity = {}) const
    {
        return CSerialDeviceList({Path("dev"), Path("sys"), Ports(), Path("lock")}, identity);
    }

    static const SerialDevice* Find(const std::vector<SerialDevice>& devices, const QString& name)
    {
        for (const SerialDevice& device : devices)
            if (device.name == name)
                return &device;
        return nullptr;
    }

    QTemporaryDir m_root;
};

TEST_F(SerialDeviceListTest, ListsAdaptersByStableNameUartsAndPortLinksOnce)
{
    const std::vector<SerialDevice> devices = List().Scan();
    QStringList names, paths;
    for (const SerialDevice& device : devices) {
        names << device.name;
        paths << device.path;
        EXPECT_TRUE(device.problem.isEmpty()) << device.name.toStdString() << ": " << device.problem.toStdString();
    }
    // ttyUSB0 under its stable name; ttyUSB1 once although COM2 links to it;
    // ttyS1 has no UART; COM1's target is the simulated controller's terminal.
    EXPECT_EQ(names, QStringList({"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS0", Path("pts/5")}));
    EXPECT_EQ(paths[0], Dev("serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2-if00-port0"));
    EXPECT_EQ(devices[0].description, "FTDI FT232R USB UART A1B2");
    EXPECT_EQ(devices[4].description, "COM1 的链接");
}

TEST_F(SerialDeviceListTest, DeviceWithoutPermissionNamesTheGroupThatGrantsIt)
{
    const group* dialout = getgrnam("dialout");
    ASSERT_NE(dialout, nullptr);
    ASSERT_EQ(chown(QFile::encodeName(Dev("ttyUSB1")).constData(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(chmod(QFile::encodeName(Dev("ttyUSB1")).constData(), 0660), 0);
    ASSERT_EQ(chmod(QFile::encodeName(Dev("ttyACM0")).constData(), 0600), 0);

    const std::vector<SerialDevice> outsider = List({1000, {1000}}).Scan();
    EXPECT_EQ(Find(outsider, "ttyUSB1")->problem, "不在 dialout 组");
    EXPECT_TRUE(Find(outsider, "ttyUSB1")->remedy.contains("usermod -aG dialout"));
    EXPECT_EQ(Find(outsider, "ttyACM0")->problem, "没有访问权限");
    EXPECT_TRUE(Find(outsider, "ttyACM0")->remedy.contains("管理员"));

    const std::vector<SerialDevice> member = List({1000, {1000, dialout->gr_gid}}).Scan();
    EXPECT_TRUE(Find(member, "ttyUSB1")->problem.isEmpty());
    EXPECT_FALSE(Find(member, "ttyACM0")->problem.isEmpty()) << "group membership does not open an owner-only device";
}

TEST_F(SerialDeviceListTest, DeviceHeldByAnotherProgramIsBusyUnlessItIsOurOwn)
{
    const int holder = open(QFile::encodeName(Dev("ttyACM0")).constData(), O_RDWR);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(Find(List().Scan(), "ttyACM0")->problem, "被其他程序占用");
    EXPECT_TRUE(Find(List().Scan(Dev("ttyACM0")), "ttyACM0")->problem.isEmpty());
    close(holder);
    EXPECT_TRUE(Find(List().Scan(), "ttyACM0")->problem.isEmpty());

    // A lock file of a live process holds the device; one of an ended process is stale.
    WriteFile(Path("lock/LCK..ttyACM0"), QByteArray::number(getppid()).rightJustified(10) + "\n");
    EXPECT_EQ(Find(List().Scan(), "ttyACM0")->problem, "被其他程序占用");
    WriteFile(Path("lock/LCK..ttyACM0"), QByteArray::number(std::numeric_limits<int>::max()).rightJustified(10) + "\n");
    EXPECT_TRUE(Find(List().Scan(), "ttyACM0")->problem.isEmpty());
}

TEST_F(SerialDeviceListTest, PortLinkIsReplacedInOneStep)
{
    const CSerialDeviceList list = List();
    EXPECT_EQ(list.CurrentDevice(3), Dev("ttyS2")) << "without a link COM3 is the third built-in port";
    ASSERT_TRUE(list.WritePortLink(1, Dev("ttyACM0")));
    EXPECT_EQ(QFileInfo(Ports() + "/COM1").symLinkTarget(), Dev("ttyACM0"));
    EXPECT_EQ(list.CurrentDevice(1), Dev("ttyACM0"));
    EXPECT_EQ(QDir(Ports()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList({"COM1", "COM2"}))
        << "no temporary entry is left behind";

    QDir().mkpath(Ports() + "/COM4");
    QString error;
    EXPECT_FALSE(list.WritePortLink(4, Dev("ttyACM0"), &error)) << "a folder in the way is not replaced";
    EXPECT_TRUE(error.contains("COM4")) << error.toStdString();
}

// The settings dialog's device line over the user's real /dev, choosing the
// link a simulated controller would have made for COM2.
class PortDeviceLineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFile device(m_device.path() + "/pts7");
        ASSERT_TRUE(device.open(QIODevice::WriteOnly));
        QDir().mkpath(Port(0));
        QFile::link(device.fileName(), Port(2));
    }
    QString Port(int n) const
    {
        return n ? QString("%1/velor/ports/COM%2").arg(home.Path()).arg(n) : home.Path() + "/velor/ports";
    }
    QString Device() const { return m_device.path() + "/pts7"; }

    // Opens the dialog, selects COM1 and the simulated controller's device, presses a button.
    void ChooseAndPress(int buttonId)
    {
        CPortSetupDlg dialog;
        dialog.show();
        QComboBox* selector = dialog.m_deviceLine->Selector();
        EXPECT_EQ(selector, dialog.findChild<QComboBox*>("ctl1062"));
        dialog.m_cbPort->setCurrentIndex(1);
        shownForCom2 = selector->currentData(Qt::ToolTipRole).toString(); // the path, then any problem
        dialog.m_cbPort->setCurrentIndex(0);
        selector->setCurrentIndex(selector->findData(Device(), Qt::ToolTipRole, Qt::MatchStartsWith));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QString("ctl%1").arg(buttonId)), Qt::LeftButton);
    }

    CTempConfigHome home;
    CMessageBoxRecorder boxes;
    QTemporaryDir m_device;
    QString shownForCom2;
};

TEST_F(PortDeviceLineTest, OkLinksTheChosenDeviceCancelDoesNot)
{
    ChooseAndPress(2);
    EXPECT_TRUE(shownForCom2.startsWith(Device())) << "the line shows what the chosen port stands for";
    EXPECT_FALSE(QFileInfo(Port(1)).isSymLink()) << "Cancel writes no link";

    ChooseAndPress(1);
    EXPECT_EQ(QFileInfo(Port(1)).symLinkTarget(), Device());
    EXPECT_EQ(QFileInfo(Port(2)).symLinkTarget(), Device()) << "other links are left alone";
    EXPECT_EQ(boxes.Texts(), QStringList({"请重新启动程序，方能生效"}));
}

} // namespace
