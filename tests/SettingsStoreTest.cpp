// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/PortSettings.h"
#include "settings/SettingsStore.h"
#include "tests/TempConfigHome.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

class SettingsTest : public ::testing::Test
{
protected:
    void WriteValues(std::initializer_list<std::pair<const char*, const char*>> values)
    {
        CSettingsStore store(HKEY_CURRENT_USER);
        ASSERT_TRUE(store.OpenKey("Software"));
        ASSERT_TRUE(store.CreateKey("VELORCOM"));
        for (const auto& [name, text] : values)
            ASSERT_TRUE(store.WriteString(name, text));
    }

    CTempConfigHome home;
};

TEST_F(SettingsTest, KeysAreFoldersAndValuesAreFiles)
{
    CSettingsStore store(HKEY_CURRENT_USER);
    EXPECT_FALSE(store.OpenKey("Software\\VELORCOM")) << "nothing exists yet";
    ASSERT_TRUE(store.OpenKey("Software")) << "the top key always exists";
    ASSERT_TRUE(store.CreateKey("VELORCOM"));
    EXPECT_TRUE(store.WriteString("comwhole", "2E71"));

    QFile file(CSettingsStore::RootFolder() + "/Software/VELORCOM/comwhole");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "2E71");

    QString text = "unchanged";
    EXPECT_FALSE(store.ReadString("combaud", text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_TRUE(store.ReadString("comwhole", text));
    EXPECT_EQ(text, "2E71");

    store.CloseKey();
    store.CloseKey();
    EXPECT_FALSE(store.ReadString("comwhole", text)) << "a closed store holds no key";
}

TEST_F(SettingsTest, ValueNamesCannotLeaveTheKey)
{
    CSettingsStore store(HKEY_CURRENT_USER);
    ASSERT_TRUE(store.CreateKey("Software\\VELORCOM"));
    EXPECT_FALSE(store.WriteString("../escape", "x"));
    EXPECT_FALSE(store.CreateKey(".."));
    QString text;
    EXPECT_FALSE(store.ReadString("..", text));
}

TEST_F(SettingsTest, PortSettingsFromStoredValues)
{
    PortSettings settings;
    EXPECT_FALSE(ReadPortSettings(settings)) << "missing key";

    WriteValues({{"comwhole", "2E71"}, {"combaud", "19200"}, {"specialcode", "L"}});
    ASSERT_TRUE(ReadPortSettings(settings));
    EXPECT_EQ(settings.port, 2);
    EXPECT_EQ(settings.parity, 'E');
    EXPECT_EQ(settings.dataBits, 7);
    EXPECT_EQ(settings.stopBits, 1);
    EXPECT_EQ(settings.baud, 19200);
    EXPECT_EQ(settings.doorBaud, 19200) << "door machine runs at the main board's rate without comdoorbaud";
    EXPECT_EQ(settings.specialCode, "L");

    WriteValues({{"comdoorbaud", "38400"}});
    ASSERT_TRUE(ReadPortSettings(settings));
    EXPECT_EQ(settings.doorBaud, 38400);
}

TEST_F(SettingsTest, BrokenValuesFallBackToDefaults)
{
    for (const char* comwhole : {"3O", "", "xN81", "0N81"}) {
        WriteValues({{"comwhole", comwhole}, {"combaud", "fast"}});
        PortSettings settings;
        ASSERT_TRUE(ReadPortSettings(settings));
        EXPECT_EQ(settings.port, 1) << comwhole;
        EXPECT_EQ(settings.parity, 'N') << comwhole;
        EXPECT_EQ(settings.dataBits, 8) << comwhole;
        EXPECT_EQ(settings.stopBits, 1) << comwhole;
        EXPECT_EQ(settings.baud, 9600) << comwhole;
    }
    QFile::remove(CSettingsStore::RootFolder() + "/Software/VELORCOM/combaud");
    PortSettings settings;
    ASSERT_TRUE(ReadPortSettings(settings));
    EXPECT_EQ(settings.baud, 9600);
    EXPECT_TRUE(settings.specialCode.isEmpty());
}

// A write cut short by the file size limit fails with its reason and leaves
// the old value whole.
TEST_F(SettingsTest, InterruptedWriteKeepsTheOldValueWhole)
{
    WriteValues({{"combaud", "9600"}});
    CSettingsStore store(HKEY_CURRENT_USER);
    ASSERT_TRUE(store.OpenKey("Software\\VELORCOM"));

    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = saved;
    tiny.rlim_cur = 2;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const int written = store.WriteString("combaud", "115200");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(written, 0);
    EXPECT_TRUE(store.LastError().contains("combaud")) << store.LastError().toStdString();
    QString text;
    ASSERT_TRUE(store.ReadString("combaud", text));
    EXPECT_EQ(text, "9600");
}

// A settings folder that is there but cannot be read is not taken for a first
// run: the read fails and names the folder and the reason.
TEST_F(SettingsTest, UnreadableSettingsFolderIsNamedWithTheReason)
{
    QDir().mkpath(CSettingsStore::RootFolder() + "/Software");
    QFile blocker(CSettingsStore::RootFolder() + "/Software/VELORCOM");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    PortSettings settings;
    QString problem;
    EXPECT_FALSE(ReadPortSettings(settings, &problem));
    EXPECT_TRUE(problem.contains(blocker.fileName())) << problem.toStdString();
    EXPECT_TRUE(problem.contains(strerror(ENOTDIR))) << problem.toStdString();

    QFile::remove(blocker.fileName());
    EXPECT_FALSE(ReadPortSettings(settings, &problem));
    EXPECT_TRUE(problem.isEmpty()) << "a missing key is a first run";
}

} // namespace

// comfast: "1" is the fast line; missing, "0" or anything else is the designed
// pace, and never a reason to doubt the other settings.
TEST_F(SettingsTest, FastLineIsOnOnlyForAStoredOne)
{
    const std::pair<const char*, bool> cases[] = {{"1", true}, {"0", false}, {"", false}, {"yes", false}, {" 1", false}};
    PortSettings settings;
    WriteValues({{"comwhole", "1N81"}, {"combaud", "9600"}, {"specialcode", "E"}});
    ASSERT_TRUE(ReadPortSettings(settings));
    EXPECT_FALSE(settings.fastLine) << "missing";
    for (const auto& [stored, on] : cases) {
        WriteValues({{"comfast", stored}});
        ASSERT_TRUE(ReadPortSettings(settings)) << stored;
        EXPECT_EQ(settings.fastLine, on) << stored;
        EXPECT_EQ(FastLineValue(FastLineText(on)), on);
    }
}
