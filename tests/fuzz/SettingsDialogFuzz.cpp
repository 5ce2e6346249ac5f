// SPDX-License-Identifier: GPL-3.0-or-later
// The serial settings dialog opened over whatever is stored: every selector
// shows an entry, and OK always stores settings of the stored form, so the
// dialog can repair any settings.

#include "ui/TemplateLoader.h"
#include "settings/PortSettings.h"
#include "settings/PortSetupDlg.h"
#include "tests/fuzz/FuzzHarness.h"
#include "tests/fuzz/FuzzSettings.h"

#include <QComboBox>
#include <QPushButton>
#include <QRegularExpression>

namespace {

QString Stored(const char* name)
{
    CSettingsStore store(HKEY_CURRENT_USER);
    QString text = "<missing>";
    if (store.OpenKey(kSettingsKey))
        store.ReadString(name, text);
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    StartFuzzApplication();
    FuzzedDataProvider input(data, size);
    StoreFuzzSettings(input);
    {
        CPortSetupDlg dialog;
        dialog.show(); // reads the stored settings
        for (QComboBox* box : {dialog.m_cbPort, dialog.m_cbBaud, dialog.m_cbDoorBaud, dialog.m_cbDataBits,
                               dialog.m_cbStopBits, dialog.m_cbParity})
            Require(box->currentIndex() >= 0, "a selector shows no entry");
        Control<QPushButton>(&dialog, 1)->click();
    }
    static const QRegularExpression comwhole("^[1-9][NOE][78][12]$");
    static const QRegularExpression baud("^(1200|2400|4800|9600|19200|38400|57600|115200)$");
    Require(comwhole.match(Stored("comwhole")).hasMatch(), "comwhole stored as " + Stored("comwhole").toStdString());
    Require(baud.match(Stored("combaud")).hasMatch(), "combaud stored as " + Stored("combaud").toStdString());
    Require(baud.match(Stored("comdoorbaud")).hasMatch(), "comdoorbaud stored as " + Stored("comdoorbaud").toStdString());
    Require(IsUsableSpecialCode(Stored("specialcode")), "specialcode stored as " + Stored("specialcode").toStdString());
    return 0;
}
