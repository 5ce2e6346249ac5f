// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/Technician.h"

#include "settings/SettingsStore.h"

namespace {

constexpr char kValueName[] = "technician";

} // namespace

QString RememberedTechnician()
{
    CSettingsStore store(HKEY_CURRENT_USER);
    QString name;
    if (store.OpenKey("Software\\VELORCOM"))
        store.ReadString(kValueName, name);
    return name.trimmed();
}

QString RememberTechnician(const QString& name)
{
    CSettingsStore store(HKEY_CURRENT_USER);
    if (!store.OpenKey("Software") || !store.CreateKey("VELORCOM"))
        return store.LastError().isEmpty() ? CSettingsStore::RootFolder() : store.LastError();
    return store.WriteString(kValueName, name.trimmed()) ? QString() : store.LastError();
}
