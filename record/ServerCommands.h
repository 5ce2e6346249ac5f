// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// velor-record's commands on the company's record server. Each prints what it
// did, or why it could not, and returns the exit status: 0 done, 3 the
// laptop's record could not be used, 4 the server could not be used.
namespace ServerCommands {

constexpr int kServerFailed = 4;

int Sync(const QString& recordPath, const QString& conninfo);
// Fetches the lift's whole history into the laptop's record (the caller lists it).
int History(const QString& recordPath, const QString& conninfo, const QString& elevatorId);
int ServerSetup(const QString& conninfo);

} // namespace ServerCommands
