// SPDX-License-Identifier: GPL-3.0-or-later
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

bool IsUsableSpecialCode(const QString& code)
{
    return code.size() == 1 && code[0].unicode() > 0x20 && code[0].unicode() < 0x7F;
}

bool FastLineValue(const QString& text)
{
    return text == "1";
}

QString FastLineText(bool on)
{
    return on ? "1" : "0";
}

bool ReadPortSettings(PortSettings& settings, QString* problem)
{
    QString firstProblem;
    const auto read = [&](CSettingsStore& store, const char* name, QString& text) {
        const bool found = store.ReadString(name, text);
        if (!found && firstProblem.isEmpty())
            firstProblem = store.LastError();
        return found;
    };

    CSettingsStore store(HKEY_CURRENT_USER);
    if (!store.OpenKey(kSettingsKey)) {
        if (problem)
            *problem = store.LastError();
        return false;
    }
    settings = PortSettings();
    QString comwhole, baud, doorBaud;
    if (read(store, "comwhole", comwhole))
        ApplyComWhole(comwhole, settings);
    if (read(store, "combaud", baud))
        settings.baud = BaudValue(baud, settings.baud);
    settings.doorBaud = settings.baud;
    if (read(store, "comdoorbaud", doorBaud))
        settings.doorBaud = BaudValue(doorBaud, settings.baud);
    read(store, "specialcode", settings.specialCode);
    // An optional value: whatever keeps it from reading "1" leaves the line as designed.
    QString fast;
    settings.fastLine = store.ReadString("comfast", fast) && FastLineValue(fast);
    store.CloseKey();
    if (problem)
        *problem = firstProblem;
    return firstProblem.isEmpty();
}
