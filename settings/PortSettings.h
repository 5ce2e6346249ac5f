// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// comwhole, the stored line format: four characters, the port digit, the
// parity letter, the data bits digit and the stop bits digit, e.g. "1N81".
struct ComWhole
{
    int port = 1;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;

    // The fields of text (a digit position that holds no digit reads 0); none
    // when text is shorter than four characters.
    static std::optional<ComWhole> Parse(const QString& text);
    QString Text() const;
};

// The line settings kept under Software\VELORCOM, as the main dialog and the
// tab control use them to open the port.
struct PortSettings
{
    int port = 1;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;
    int baud = 9600;
    int doorBaud = 9600;   // the main board's rate when comdoorbaud is missing
    QString specialCode;   // empty when specialcode is missing
    bool fastLine = false; // comfast "1"; missing, unreadable or anything else is off
};

// comfast as stored: "1" for the fast line, "0" for the designed pace.
bool FastLineValue(const QString& text);
QString FastLineText(bool on);

// Reads the settings key. Returns false when the key does not exist, or when
// it or one of its values cannot be read: then problem (when given) names the
// folder, the value and the reason, and stays empty for a key that is simply
// not there yet. A comwhole that is too short or has no port digit, and a
// missing or non-numeric combaud, fall back to COM1, N, 8, 1 and 9600.
bool ReadPortSettings(PortSettings& settings, QString* problem = nullptr);

// The special code ends every request before its checksum: it must be one
// printable ASCII character, or no controller answers.
bool IsUsableSpecialCode(const QString& code);

// The registry key the settings live under.
extern const char* const kSettingsKey;
