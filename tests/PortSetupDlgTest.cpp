// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainWindow.h"
#include "settings/PortSetupDlg.h"
#include "settings/SettingsStore.h"
#include "tests/MessageBoxRecorder.h"
#include "tests/TempConfigHome.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class PortSetupDlgTest : public ::testing::Test
{
protected:
    QString Stored(const QString& name)
    {
        CSettingsStore store(HKEY_CURRENT_USER);
        QString text = "<missing>";
        if (store.OpenKey("Software\\VELORCOM"))
            store.ReadString(name, text);
        return text;
    }

    void Store(const QString& name, const QString& text)
    {
        CSettingsStore store(HKEY_CURRENT_USER);
        store.CreateKey("Software\\VELORCOM");
        store.WriteString(name, text);
    }

    // Opens the dialog as the program does, lets `change` act on it and presses a button.
    void RunDialog(const std::function<void(CPortSetupDlg&)>& change, int buttonId)
    {
        CPortSetupDlg dialog;
        dialog.show();
        change(dialog);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QString("ctl%1").arg(buttonId)), Qt::LeftButton);
    }

    static QStringList Shown(CPortSetupDlg& d)
    {
        return {d.m_cbPort->currentText(),     d.m_cbBaud->currentText(),     d.m_cbDoorBaud->currentText(),
                d.m_cbDataBits->currentText(), d.m_cbStopBits->currentText(), d.m_cbParity->currentText()};
    }

    CTempConfigHome home;
    CMessageBoxRecorder boxes;
    QDialog mainWindow;
};

TEST_F(PortSetupDlgTest, FirstRunShowsAndStoresDefaultsThenClosesMainWindow)
{
    mainWindow.show();
    CMainWindow::Set(&mainWindow);
    QStringList shown;
    RunDialog([&](CPortSetupDlg& d) { shown = Shown(d); }, 1);
    EXPECT_EQ(shown, QStringList({"COM1", "9600", "38400", "8", "1", "无"}));
    EXPECT_EQ(Stored("comwhole"), "1N81");
    EXPECT_EQ(Stored("combaud"), "9600");
    EXPECT_EQ(Stored("comdoorbaud"), "38400");
    EXPECT_EQ(Stored("specialcode"), "E");
    EXPECT_EQ(boxes.Texts(), QStringList({"请重新启动程序，方能生效"}));
    QCoreApplication::processEvents();
    EXPECT_FALSE(mainWindow.isVisible()) << "saving closes the main window";
    CMainWindow::Set(nullptr);
}

TEST_F(PortSetupDlgTest, ChosenEntriesMakeTheSummaryAndSpecialCodeIsKept)
{
    Store("comwhole", "1N81");
    Store("specialcode", "L");
    RunDialog(
        [](CPortSetupDlg& d) {
            d.m_cbPort->setCurrentIndex(2);
            d.m_cbParity->setCurrentIndex(1);
            d.m_cbDataBits->setCurrentIndex(0);
            d.m_cbStopBits->setCurrentIndex(1);
            d.m_cbBaud->setCurrentIndex(7);
        },
        1);
    EXPECT_EQ(Stored("comwhole"), "3O72");
    EXPECT_EQ(Stored("combaud"), "115200");
    EXPECT_EQ(Stored("specialcode"), "L") << "the hidden special code is written back unchanged";
}

TEST_F(PortSetupDlgTest, StoredValuesAreShownAndCancelWritesNothing)
{
    Store("comwhole", "2X72");
    Store("combaud", "19200");
    Store("comdoorbaud", "4800");
    QStringList shown;
    RunDialog(
        [&](CPortSetupDlg& d) {
            shown = Shown(d);
            d.m_cbPort->setCurrentIndex(5);
        },
        2);
    EXPECT_EQ(shown, QStringList({"COM2", "19200", "4800", "7", "2", "偶"})) << "any letter but N and O shows even";
    EXPECT_EQ(Stored("comwhole"), "2X72");
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(PortSetupDlgTest, UnusableStoredValuesFallBackToDefaults)
{
    Store("comwhole", "7");
    Store("combaud", "12345");
    QStringList shown;
    RunDialog([&](CPortSetupDlg& d) { shown = Shown(d); }, 1);
    EXPECT_EQ(shown, QStringList({"COM1", "9600", "38400", "8", "1", "无"}));
    EXPECT_EQ(Stored("comwhole"), "1N81") << "never port 0 or an undefined rate";
    EXPECT_EQ(Stored("combaud"), "9600");
}

// The fast line's check box shows what comfast holds and OK stores it: off
// on a first run and for a broken value, on only for "1".
TEST_F(PortSetupDlgTest, FastLineCheckBoxRoundTripsComfast)
{
    const struct
    {
        const char* stored; // nullptr: missing
        bool shown;
        bool tick;
        const char* saved;
    } cases[] = {{nullptr, false, false, "0"}, {"1", true, true, "1"}, {"on", false, true, "1"}, {"1", true, false, "0"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "missing");
        if (c.stored)
            Store("comfast", c.stored);
        bool shown = !c.shown;
        RunDialog(
            [&](CPortSetupDlg& d) {
                auto* box = d.findChild<QCheckBox*>("ctl1064");
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->text(), "快速通讯");
                shown = box->isChecked();
                box->setChecked(c.tick);
            },
            1);
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(Stored("comfast"), c.saved);
    }
}

} // namespace
