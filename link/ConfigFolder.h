// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where velor keeps its own files: ${XDG_CONFIG_HOME:-$HOME/.config}/velor,
// with the settings hive under registry/ and the port links under ports/.
// The one place that finds it, for the port channel, the settings store and
// the simulated controller.
class CConfigFolder
{
public:
    static QString Path();
    static QString RegistryFolder() { return Path() + "/registry"; }
    static QString PortsFolder() { return Path() + "/ports"; }
    // The entry that names port n: PortsFolder()/COMn.
    static QString PortLink(int portNumber) { return PortsFolder() + QString("/COM%1").arg(portNumber); }
};
