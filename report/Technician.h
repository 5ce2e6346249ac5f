// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The technician's name the reports carry, remembered in the settings beside
// the port settings (value "technician").
QString RememberedTechnician();
// Empty when written, else why not (folder, value, reason).
QString RememberTechnician(const QString& name);
