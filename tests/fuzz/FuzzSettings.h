// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/SettingsStore.h"
#include "tests/TempConfigHome.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QDir>
#include <QFile>

#include <string>

// Stores the four settings values as a person may have left them: each one
// missing or holding any bytes (empty, binary, too long), in a settings folder
// of its own.
inline void StoreFuzzSettings(FuzzedDataProvider& input)
{
    // In memory where the system has it: saving a value syncs it to disk.
    [[maybe_unused]] static const bool inMemory = QDir("/dev/shm").exists() && qputenv("TMPDIR", "/dev/shm");
    static CTempConfigHome home;
    static const QString key = CSettingsStore::RootFolder() + "/Software/VELORCOM";
    QDir().mkpath(key);
    for (const char* name : {"comwhole", "combaud", "comdoorbaud", "specialcode"}) {
        const QString path = key + "/" + name;
        QFile::remove(path);
        if (!input.ConsumeBool())
            continue;
        const std::string value = input.ConsumeRandomLengthString(300);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(value.data(), static_cast<qint64>(value.size()));
    }
}
