// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pages/CarState.h"
#include "pages/RideSample.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// The ride recorder's memory: every state, speed and call reply the status
// page decodes and every fault report, stamped with its arrival time, in a
// ring that holds the last two hours of polling and then overwrites the
// oldest. It only listens: nothing here sends a frame.
class CRideLog
{
public:
    // Two hours at the poll's most replies a second (one 100 ms after each,
    // the reply itself quick), with room to spare.
    static constexpr size_t kCapacity = 2 * 3600 * 12;

    void AddState(const CarState& state);
    void AddSpeed(int mmPerSecond);
    void AddCalls(const std::array<std::uint8_t, RideSample::kCallBytes>& bytes);
    // The report's code as its two characters.
    void AddFault(const QString& code);
    void Add(const RideSample& sample);

    // Samples added so far, ever: tells a reader what is new since it looked.
    std::uint64_t Added() const { return m_added; }
    size_t Size() const { return m_ring.size(); }
    // The kept samples added after the first `after` ones, oldest first.
    std::vector<RideSample> Since(std::uint64_t after) const;
    void Clear();

    // The clock samples are stamped with (the wall clock unless set).
    void SetClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

private:
    RideSample Stamped(RideSample::Kind kind) const;

    std::vector<RideSample> m_ring; // grows to kCapacity, then m_next wraps
    size_t m_next = 0;
    std::uint64_t m_added = 0;
    std::function<qint64()> m_clock;
};

// The one log the status page and the main window's fault reports fill.
extern CRideLog g_rideLog;
