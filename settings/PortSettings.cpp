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
    const std::optional<ComWhole> format = ComWhole::Parse(comwhole);
    if (!format || format->port < 1)
        return;
    settings.port = format->port;
    settings.parity = format->parity;
    settings.dataBits = format->dataBits;
    settings.stopBits = format->stopBits;
}

int BaudValue(const QString& text, int fallback)
{
    bool ok = false;
    const int baud = text.trimmed().toInt(&ok);
    return ok && baud > 0 ? baud : fallback;
}

} // namespace

std::optional<ComWhole> ComWhole::Parse(const QString& text)
{
    if (text.size() < 4)
        return std::nullopt;
    return ComWhole{DigitValue(text[0]), text[1].toLatin1(), DigitValue(text[2]), DigitValue(text[3])};
}

QString ComWhole::Text() const
{
    return QString::number(port) + QChar::fromLatin1(parity) + QString::number(dataBits) + QString::number(stopBits);
}

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
