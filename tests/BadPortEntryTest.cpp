// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/MainDlg.h"
#include "app/PageTab.h"
#include "link/PortChannel.h"
#include "settings/PortSetupDlg.h"
#include "settings/SettingsStore.h"
#include "tests/MessageBoxRecorder.h"
#include "tests/TempConfigHome.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>

#include <cerrno>

namespace {

// A ports/COMn entry that is not a serial device: the port cannot be opened,
// nothing is written anywhere, and start-up says which entry is wrong, then
// offers the settings.
class BadPortEntryTest : public ::testing::Test
{
protected:
    BadPortEntryTest()
    {
        QDir().mkpath(PortsFolder());
        CSettingsStore store(HKEY_CURRENT_USER);
        store.CreateKey("Software\\VELORCOM");
        for (const auto& [name, text] : {std::pair{"comwhole", "3N81"}, {"combaud", "9600"},
                                         {"comdoorbaud", "38400"}, {"specialcode", "E"}})
            store.WriteString(name, text);
        // Each modal settings dialog is closed as soon as it shows.
        m_closer.setInterval(10);
        QObject::connect(&m_closer, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<CPortSetupDlg*>(QApplication::activeModalWidget())) {
                ++settingsDialogs;
                dialog->reject();
            }
        });
        m_closer.start();
    }

    QString PortsFolder() const { return home.Path() + "/velor/ports"; }
    QString Entry() const { return PortsFolder() + "/COM3"; }

    // Opens port 3 as start-up does and checks the refusal.
    void ExpectRefusedAtStartUp(int expectedErrno)
    {
        CMainDlg dialog;
        dialog.OnInitDialog();
        EXPECT_FALSE(g_port.IsOpen());
        EXPECT_EQ(g_port.LastOpenErrno(), expectedErrno) << strerror(g_port.LastOpenErrno());
        ASSERT_EQ(boxes.Count(), 1);
        EXPECT_EQ(boxes.Calls()[0].text, "串口初始化失败，请重新设置");
        EXPECT_TRUE(boxes.Calls()[0].details.contains(Entry())) << boxes.Calls()[0].details.toStdString();
        EXPECT_EQ(settingsDialogs, 1);
        EXPECT_EQ(dialog.PageTab()->TabCount(), 0);
    }

    CTempConfigHome home;
    CMessageBoxRecorder boxes;
    int settingsDialogs = 0;

private:
    QTimer m_closer;
};

TEST_F(BadPortEntryTest, DanglingLinkNamesTheMissingDevice)
{
    ASSERT_TRUE(QFile::link(home.Path() + "/no-such-adapter", Entry()));
    EXPECT_EQ(CPortChannel::DevicePath(3), Entry()) << "the chosen entry, not a built-in port";
    ExpectRefusedAtStartUp(ENOENT);
    EXPECT_TRUE(boxes.Calls()[0].details.contains("设备不存在"));
}

TEST_F(BadPortEntryTest, LinkToADirectoryIsRefused)
{
    ASSERT_TRUE(QFile::link(home.Path(), Entry()));
    ExpectRefusedAtStartUp(EISDIR);
}

TEST_F(BadPortEntryTest, PlainFileIsRefusedAndLeftUntouched)
{
    const QString path = home.Path() + "/notes.txt";
    {
        QFile notes(path);
        ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
        notes.write("the technician's notes\n");
    }
    ASSERT_TRUE(QFile::link(path, Entry()));
    ExpectRefusedAtStartUp(ENOTTY);
    QFile notes(path);
    ASSERT_TRUE(notes.open(QIODevice::ReadOnly));
    EXPECT_EQ(notes.readAll(), "the technician's notes\n") << "requests were written into a plain file";
}

} // namespace
