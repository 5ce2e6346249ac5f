// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

#include <array>
#include <cmath>
#include <cstdint>

// The logic lanes of the ride recorder, in the order they are drawn and saved.
enum RideLane
{
    LaneRunning,
    LaneDoorOpening,
    LaneDoorClosing,
    LaneDoorLocked,
    LaneSafety,
    LaneFullLoad,
    LaneOverload,
    kLaneCount
};

// Every channel's value at one instant: one sample with the values the
// samples before it left standing. Texts are indices into the track's texts.
struct RidePoint
{
    static constexpr std::uint16_t kNoText = 0xFFFF;

    qint64 ms = 0;
    double speedMps = NAN;     // NAN until the first speed reply
    bool stateKnown = false;   // false until the first state reply
    std::uint8_t lanes = 0;    // bit n: lane n
    std::uint16_t floor = kNoText;
    std::uint16_t mode = kNoText;
    std::uint16_t fault = kNoText; // a fault report at this instant, else none

    bool Lane(int lane) const { return (lanes >> lane) & 1; }
    bool SpeedKnown() const { return !std::isnan(speedMps); }
};
