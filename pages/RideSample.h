// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <array>
#include <cstdint>

// One reply of the status page's poll, or one fault report, as it arrived:
// kept flat (no allocation) so that hours of them fit a ring.
struct RideSample
{
    enum Kind : std::uint8_t
    {
        State, // bytes: floor display code, S1, S2
        Speed, // speed in mm/s, up positive
        Calls, // bytes: car, up and down call bits, six bytes each
        Fault  // bytes: the report's two code characters
    };
    static constexpr int kCallBytes = 18;

    qint64 ms = 0; // arrival, milliseconds since the epoch
    Kind kind = State;
    std::int16_t speed = 0;
    std::array<std::uint8_t, kCallBytes> bytes{};
};
