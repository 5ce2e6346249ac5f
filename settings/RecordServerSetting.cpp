// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/RecordServerSetting.h"

#include "settings/PortSettings.h"
#include "settings/SettingsStore.h"

QString ReadRecordServer(QString* problem)
{
    CSettingsStore store(HKEY_CURRENT_USER);
    QString conninfo;
    if (!store.OpenKey(kSettingsKey) || !store.ReadString("recordserver", conninfo))
        conninfo.clear();
    if (problem)
        *problem = store.LastError();
    store.CloseKey();
    return conninfo.trimmed();
}
