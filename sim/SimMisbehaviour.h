// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The faults the simulated controller shows on purpose.
struct CSimMisbehaviour
{
    bool silent = false;               // answers nothing
    int latencyMs = 0;                 // extra time before every reply
    double badChecksumFraction = 0;    // share of replies with a wrong checksum
    double wrongLetterFraction = 0;    // share of replies with another second letter
    bool refuseWrites = false;         // 'F' requests get '0' instead of their 'F'
    bool garbage = false;              // a few stray bytes before every reply
    int needsGapMs = 0;                // answers nothing to a request sooner than this after its last reply
};
