// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The program's string table: parameter texts of the three parameter catalogues
// and the fault explanations of both controller generations, found by string id.
// Returns an empty text for an id the table does not hold.
QString StringText(int id);
