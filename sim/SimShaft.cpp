// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimShaft.h"

#include <algorithm>

namespace {

constexpr int kPitDepth = 1500;
constexpr int kStoreyHeight = 3000;
constexpr int kVaneLength = 200;
constexpr int kLevellingSwitchSpacing = 80;
constexpr int kDoubleSlowDownDistance = 2500;
constexpr int kSingleSlowDownDistance = 1300;

} // namespace

CSimShaft::CSimShaft(int floors)
{
    Relearn(floors);
}

int CSimShaft::FloorLevel(int floor)
{
    // Storeys are not all alike: each differs from the nominal height by a few
    // centimetres, so the learnt table is not a plain multiplication table.
    const int variation = (floor * 37) % 61 - 30;
    return kPitDepth + (floor - 1) * kStoreyHeight + (floor > 1 ? variation : 0);
}

void CSimShaft::Relearn(int floors)
{
    floors = std::clamp(floors, 0, kMostFloors);
    for (int floor = 1; floor <= kMostFloors; ++floor)
        m_levels[floor - 1] = floor <= floors ? FloorLevel(floor) : 0;
    const int bottom = FloorLevel(1);
    const int top = floors > 0 ? FloorLevel(floors) : bottom;
    m_switches = {
        kVaneLength + kLevellingSwitchSpacing,
        top - kDoubleSlowDownDistance,
        top - kSingleSlowDownDistance,
        bottom + kDoubleSlowDownDistance,
        bottom + kSingleSlowDownDistance,
    };
}

int CSimShaft::LearntLevel(int floor) const
{
    return floor >= 1 && floor <= kMostFloors ? m_levels[floor - 1] : 0;
}

int CSimShaft::SwitchValue(int index) const
{
    return index >= 0 && index < kSwitchCount ? m_switches[index] : 0;
}
