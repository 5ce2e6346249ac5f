// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// Asks the main board for fault record 0 (A1 with the byte 0; one try, 50 ms,
// up to 80 characters). Any answer tells the controller generation by its
// length from its start byte on: 23 characters or more come from the
// long-record generation, fewer from the short-record one. Returns false, leaving longFormat as it was,
// when nothing arrives. With record0, also hands back the reply from its
// start byte on: what marks this controller and its log for a read that goes on later.
bool ProbeGeneration(bool& longFormat, QByteArray* record0 = nullptr);
