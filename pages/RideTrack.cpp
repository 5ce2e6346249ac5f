// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/RideTrack.h"

#include "pages/CarState.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::uint8_t kDoorAndSafetyLanes =
    1 << LaneDoorOpening | 1 << LaneDoorClosing | 1 << LaneDoorLocked | 1 << LaneSafety;

std::uint8_t LanesOf(const CarState& state)
{
    const bool lanes[kLaneCount] = {state.Running(),  state.DoorOpening(), state.DoorClosing(), state.DoorLocked(),
                                    state.Safety(),   state.FullLoad(),    state.Overload()};
    std::uint8_t bits = 0;
    for (int lane = 0; lane < kLaneCount; ++lane)
        bits |= static_cast<std::uint8_t>(lanes[lane] << lane);
    return bits;
}

bool Moving(const RidePoint& point)
{
    return point.SpeedKnown() && point.speedMps != 0;
}

} // namespace

std::uint16_t CRideTrack::Intern(const QString& text)
{
    if (const auto it = m_textIndex.constFind(text); it != m_textIndex.cend())
        return *it;
    if (m_texts.size() >= RidePoint::kNoText)
        return RidePoint::kNoText;
    const auto index = static_cast<std::uint16_t>(m_texts.size());
    m_texts.append(text);
    m_textIndex.insert(text, index);
    return index;
}

void CRideTrack::Append(const RideSample& sample)
{
    RidePoint point = m_held;
    point.ms = sample.ms;
    point.fault = RidePoint::kNoText;
    switch (sample.kind) {
    case RideSample::State: {
        const CarState state{sample.bytes[0], sample.bytes[1], sample.bytes[2]};
        point.stateKnown = true;
        point.lanes = LanesOf(state);
        point.floor = Intern(state.FloorText());
        point.mode = Intern(state.ModeText());
        break;
    }
    case RideSample::Speed: point.speedMps = sample.speed * 0.001; break;
    case RideSample::Fault:
        point.fault = Intern(QString::fromLatin1(reinterpret_cast<const char*>(sample.bytes.data()), 2));
        break;
    case RideSample::Calls: return;
    }
    m_points.push_back(point);
    m_held = point;
}

void CRideTrack::AppendPoint(RidePoint point, const QString& floor, const QString& mode, const QString& fault)
{
    point.floor = point.stateKnown ? Intern(floor) : RidePoint::kNoText;
    point.mode = point.stateKnown ? Intern(mode) : RidePoint::kNoText;
    point.fault = fault.isEmpty() ? RidePoint::kNoText : Intern(fault);
    m_points.push_back(point);
    m_held = point;
}

void CRideTrack::DropBefore(qint64 ms)
{
    m_points.erase(m_points.begin(), m_points.begin() + static_cast<long>(LowerBound(ms)));
}

void CRideTrack::Clear()
{
    m_points.clear();
    m_texts.clear();
    m_textIndex.clear();
    m_held = {};
}

size_t CRideTrack::LowerBound(qint64 ms) const
{
    const auto it = std::lower_bound(m_points.begin(), m_points.end(), ms,
                                     [](const RidePoint& point, qint64 t) { return point.ms < t; });
    return static_cast<size_t>(it - m_points.begin());
}

long CRideTrack::PointAt(qint64 ms) const
{
    const auto it = std::upper_bound(m_points.begin(), m_points.end(), ms,
                                     [](qint64 t, const RidePoint& point) { return t < point.ms; });
    return static_cast<long>(it - m_points.begin()) - 1;
}

std::vector<RideTrip> CRideTrack::Trips() const
{
    std::vector<RideTrip> trips;
    RideTrip trip;
    bool moving = false;
    std::uint8_t startLanes = 0;
    for (size_t i = 0; i < m_points.size(); ++i) {
        const RidePoint& point = m_points[i];
        if (moving && GapBefore(i)) {
            // The run is lost in the gap: it ends where the recording stopped.
            trip.endMs = m_points[i - 1].ms;
            trip.toFloor = Text(m_points[i - 1].floor);
            trips.push_back(trip);
            moving = false;
        }
        if (!moving && Moving(point)) {
            trip = {point.ms, point.ms, Text(point.floor), {}, 0, false};
            startLanes = point.lanes;
            moving = true;
        }
        if (!moving)
            continue;
        if (point.SpeedKnown())
            trip.peakMps = std::max(trip.peakMps, std::abs(point.speedMps));
        if (point.stateKnown && (point.lanes ^ startLanes) & kDoorAndSafetyLanes)
            trip.doorOrSafety = true;
        if (point.SpeedKnown() && point.speedMps == 0) {
            trip.endMs = point.ms;
            trip.toFloor = Text(point.floor);
            trips.push_back(trip);
            moving = false;
        }
    }
    return trips;
}
