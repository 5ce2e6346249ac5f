// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ConfigFolder.h"

#include <QtGlobal>

QString CConfigFolder::Path()
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty())
        configHome = qEnvironmentVariable("HOME") + "/.config";
    return configHome + "/velor";
}
