// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

// The shaft: where the building's floors really are, and what the controller
// learnt about them in its last self-learning run (floor levels and the five
// switch and vane values). Positions are millimetres above the pit.
class CSimShaft
{
public:
    static constexpr int kMostFloors = 64;
    static constexpr int kSwitchCount = 5;

    explicit CSimShaft(int floors);

    // The true level of floor 1 to kMostFloors.
    static int FloorLevel(int floor);

    // Learns the levels of floors 1 to floors and the switch positions that
    // belong to that top floor; higher floors are forgotten.
    void Relearn(int floors);
    // The learnt level of a floor; 0 for a floor the last run did not reach.
    int LearntLevel(int floor) const;
    // Switch value 0 to 4: vane length plus switch spacing, up slow-down for
    // two-floor and single-floor runs, down slow-down for the same.
    int SwitchValue(int index) const;

private:
    std::array<int, kMostFloors> m_levels{};
    std::array<int, kSwitchCount> m_switches{};
};
