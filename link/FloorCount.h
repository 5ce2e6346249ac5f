// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>

// The number of floors: elevator parameter F11, which the status page, the
// shaft page and the floor lockout dialog read with A5 0B.
class CFloorCount
{
public:
    static constexpr int kParameter = 11;
    // Requests name a floor in one byte, so a larger count can only come from
    // a garbled reply.
    static constexpr int kMost = 255;

    // Asks the controller once (50 ms wait, letters test). Nothing without a
    // reply whose value field (positions 7 to 10, low byte pair first) holds a
    // count of at most kMost.
    static std::optional<int> Read();
};
