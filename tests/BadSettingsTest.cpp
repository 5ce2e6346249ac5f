// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainWindow.h"
#include "ui/TemplateLoader.h"
#include "settings/PortSettings.h"
#include "settings/PortSetupDlg.h"
#include "settings/SettingsStore.h"
#include "tests/MessageBoxRecorder.h"
#include "tests/TempConfigHome.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* const kValueNames[] = {"comwhole", "combaud", "comdoorbaud", "specialcode"};

// Values a person may leave behind: the value missing (nullopt), empty, far
// too long, binary, or of the wrong kind.
std::vector<std::optional<std::string>> BrokenValues()
{
    return {std::nullopt,
            std::string(),
            std::string(5000, '9'),
            std::string("\xff\xfe\x00\x02\x03\x80" "1N81", 10),
            std::string("COM1 at 9600"),
            std::string("-38400")};
}

class BadSettingsTest : public ::testing::Test
{
protected:
    QString KeyFolder() const { return CSettingsStore::RootFolder() + "/Software/VELORCOM"; }

    // The first-run values, with one of them replaced.
    void StoreWith(const char* brokenName, const std::optional<std::string>& value)
    {
        QDir().mkpath(KeyFolder());
        const std::pair<const char*, const char*> good[] = {
            {"comwhole", "2E71"}, {"combaud", "19200"}, {"comdoorbaud", "38400"}, {"specialcode", "E"}};
        for (const auto& [name, text] : good) {
            QFile::remove(KeyFolder() + "/" + name);
            const bool broken = std::string(name) == brokenName;
            if (broken && !value)
                continue;
            QFile file(KeyFolder() + "/" + name);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            const std::string bytes = broken ? *value : text;
            file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        }
    }

    QString Stored(const char* name) const
    {
        CSettingsStore store(HKEY_CURRENT_USER);
        QString text = "<missing>";
        if (store.OpenKey(kSettingsKey))
            store.ReadString(name, text);
        return text;
    }

    void PressOk()
    {
        CPortSetupDlg dialog;
        dialog.show();
        Control<QPushButton>(&dialog, 1)->click();
    }

    CTempConfigHome home;
    CMessageBoxRecorder boxes;
};

TEST_F(BadSettingsTest, EveryBrokenValueStillGivesALineToOpen)
{
    for (const char* name : kValueNames)
        for (const auto& value : BrokenValues()) {
            StoreWith(name, value);
            const std::string what = std::string(name) + " = " + (value ? *value : "<missing>");
            PortSettings settings;
            ASSERT_TRUE(ReadPortSettings(settings)) << what;
            EXPECT_GE(settings.port, 1) << what;
            EXPECT_LE(settings.port, 9) << what;
            EXPECT_GT(settings.baud, 0) << what;
            EXPECT_GT(settings.doorBaud, 0) << what;
            if (std::string(name) != "comwhole") {
                EXPECT_EQ(settings.port, 2) << "one broken value spoils no other: " << what;
            }
        }
    // Only the first four characters of comwhole count.
    StoreWith("comwhole", "3O72" + std::string(300, 'x'));
    PortSettings settings;
    ASSERT_TRUE(ReadPortSettings(settings));
    EXPECT_EQ(settings.port, 3);
    EXPECT_EQ(settings.parity, 'O');
    EXPECT_EQ(settings.stopBits, 2);
}

TEST_F(BadSettingsTest, SettingsDialogRepairsEveryBrokenValue)
{
    static const QRegularExpression comwhole("^[1-9][NOE][78][12]$");
    static const QRegularExpression baud("^(1200|2400|4800|9600|19200|38400|57600|115200)$");
    for (const char* name : kValueNames)
        for (const auto& value : BrokenValues()) {
            StoreWith(name, value);
            const std::string what = std::string(name) + " = " + (value ? *value : "<missing>");
            PressOk();
            EXPECT_TRUE(comwhole.match(Stored("comwhole")).hasMatch()) << what;
            EXPECT_TRUE(baud.match(Stored("combaud")).hasMatch()) << what;
            EXPECT_TRUE(baud.match(Stored("comdoorbaud")).hasMatch()) << what;
            EXPECT_TRUE(IsUsableSpecialCode(Stored("specialcode"))) << what;
        }
}

// The settings cannot be saved: the key's place is taken by a file (also what
// a folder without write permission gives, which root does not get to see).
TEST_F(BadSettingsTest, SettingsThatCannotBeSavedAreNotReportedAsSaved)
{
    QDir().mkpath(CSettingsStore::RootFolder() + "/Software");
    {
        QFile blocker(KeyFolder());
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    QDialog mainWindow;
    mainWindow.show();
    CMainWindow::Set(&mainWindow);
    PressOk();
    QCoreApplication::processEvents();
    EXPECT_TRUE(mainWindow.isVisible()) << "the program ends as if the settings had been saved";
    ASSERT_EQ(boxes.Count(), 1) << "the technician is not told";
    EXPECT_NE(boxes.Calls()[0].text, "请重新启动程序，方能生效");
    CMainWindow::Set(nullptr);
}

} // namespace
