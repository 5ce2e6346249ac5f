// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The car's state as the state reply (A0) carries it: the floor display code
// and the two state bytes S1 and S2.
struct CarState
{
    int floorCode = 0;
    int s1 = 0;
    int s2 = 0;

    static bool Bit(int value, int n) { return (value >> n) & 1; }

    QString FloorText() const;
    // Operating mode; the first matching rule wins.
    QString ModeText() const;
    bool Running() const { return Bit(s2, 7); }
    bool DoorOpening() const { return Bit(s2, 4); }
    bool DoorClosing() const { return Bit(s2, 5); }
    bool DoorLocked() const { return Bit(s1, 3); }
    bool Safety() const { return Bit(s2, 6); }
    bool FullLoad() const { return Bit(s2, 2); }
    bool Overload() const { return Bit(s2, 3); }
    bool Group() const { return Bit(s2, 0); }
};
