// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <termios.h>

// The line speeds a serial line can be set to, in baud and as the terminal
// interface names them: the one table for the port channel, the simulated
// controller and the test peers.
class CLineSpeed
{
public:
    // B0 for a rate the line cannot run at.
    static speed_t SpeedOf(int baud);
    // 0 for a speed outside the table.
    static int BaudOf(speed_t speed);
    static bool IsKnown(int baud) { return SpeedOf(baud) != B0; }
    // The output speed set on the terminal fd in baud; 0 when unknown.
    static int LineBaud(int fd);
};
