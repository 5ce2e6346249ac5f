// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/SimMisbehaviour.h"

#include <functional>

// One of the simulated controller's misbehaviours, and what gets through it:
// whether a page that tests no checksum still gets the controller's new
// state, whether a read that waits for its reply and checks it still passes,
// and whether a write waiting for its confirmation is left without one
// (nothing comes back, or the write is refused).
struct Misbehaviour
{
    const char* name;
    std::function<void(CSimMisbehaviour&)> start;
    bool liveValuesGetThrough;
    bool checkedReadsPass;
    bool writesUnconfirmed;
};

inline const Misbehaviour kMisbehaviours[] = {
    {"silence", [](CSimMisbehaviour& m) { m.silent = true; }, false, false, true},
    {"wrong letters", [](CSimMisbehaviour& m) { m.wrongLetterFraction = 1; }, false, false, false},
    {"bad checksums", [](CSimMisbehaviour& m) { m.badChecksumFraction = 1; }, true, false, false},
    {"garbage between frames", [](CSimMisbehaviour& m) { m.garbage = true; }, true, false, false},
    {"refused writes", [](CSimMisbehaviour& m) { m.refuseWrites = true; }, true, true, true},
};
