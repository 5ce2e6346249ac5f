// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// How the simulated controller is built: its generation, floors, the baud
// rates its two boards listen at, its turnaround (the time from the end of a
// request to the first character of its reply), its clock's first reading
// and the seed of its misbehaviour's randomness.
struct CSimOptions
{
    bool longRecord = true;
    int floors = 16;
    int mainBaud = 9600;
    int doorBaud = 38400;
    int turnaroundMs = 5;
    std::string clockStart = "250101080000"; // YYMMDDhhmmss
    unsigned seed = 1;
};
