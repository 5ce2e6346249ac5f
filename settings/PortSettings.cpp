#include "settings/PortSettings.h"

#include "settings/SettingsStore.h"

const char* const kSettingsKey = "Software\\VELORCOM";

namespace {

int DigitValue(QChar c)
{
    return c.isDigit() ? c.digitValue() : 0;
}

void ApplyComWhole(const QString& comwhole, PortSettings& settings)
{
    if (comwhole.size() < 4 || DigitValue(comwhole[0]) < 1)
        return;
    settings.port = DigitValue(comwhole[0]);
    settings.parity = comwhole[1].toLatin1();
    settings.dataBits = DigitValue(comwhole[2]);
    settings.stopBits = DigitValue(comwhole[3]);
}

int BaudValue(const QString& text, int fallback)
{
    bool ok = false;
    const int baud = text.trimmed().toInt(&ok);
    return ok && baud > 0 ? baud : fallback;
}

} // namespace

bool ReadPortSettings(PortSettings& settings)
{
    CSettingsStore store(HKEY_CURRENT_USER);
    if (!store.OpenKey(kSettingsKey))
        return false;

    settings = PortSettings();
    QString comwhole, baud, doorBaud;
    if (store.ReadString("comwhole", comwhole))
        ApplyComWhole(comwhole, settings);
    if (store.ReadString("combaud", baud))
        settings.baud = BaudValue(baud, settings.baud);
    settings.doorBaud = settings.baud;
    if (store.ReadString("comdoorbaud", doorBaud))
        settings.doorBaud = BaudValue(doorBaud, settings.baud);
    store.ReadString("specialcode", settings.specialCode);
    store.CloseKey();
    return true;
}
