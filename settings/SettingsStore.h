// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The current user's settings hive: a folder under the user's configuration
// directory in which a key is a folder and a text value is a file.
using HKEY = const char*;
extern const HKEY HKEY_CURRENT_USER;

// Holds one open key of the settings registry. Opening or creating a subkey
// moves the store down to it.
class CSettingsStore
{
public:
    explicit CSettingsStore(HKEY root);
    virtual ~CSettingsStore();

    int OpenKey(const QString& subKey);
    int CreateKey(const QString& subKey);
    int ReadString(const QString& valueName, QString& text) const;
    int WriteString(const QString& valueName, const QString& text);
    void CloseKey();

    // Why the last OpenKey, CreateKey, ReadString or WriteString failed, naming
    // the folder and the value; empty after a success and when OpenKey or
    // ReadString found nothing to read (a first run).
    QString LastError() const { return m_lastError; }
    // Folder of the held key.
    QString KeyFolder() const { return m_key; }

    // Folder of the current user's hive.
    static QString RootFolder();

private:
    QString ValuePath(const QString& valueName) const;

    QString m_key; // folder of the held key, empty when none is held
    mutable QString m_lastError;
};
