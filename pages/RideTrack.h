// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pages/RidePoint.h"
#include "pages/RideSample.h"

#include <QString>
#include <QHash>
#include <QStringList>

#include <vector>

// One run of the car, from standing to standing.
struct RideTrip
{
    qint64 startMs = 0;
    qint64 endMs = 0;
    QString fromFloor;
    QString toFloor;
    double peakMps = 0;      // the largest speed either way
    bool doorOrSafety = false; // a door lane, the door lock or the safety circuit changed during the run
};

// A recording as the ride recorder shows and saves it: one point per state,
// speed or fault sample (call replies carry nothing it draws), in arrival
// order. Built live from the ring's samples or read from a saved file.
class CRideTrack
{
public:
    // No reply for longer than this is a gap in the recording.
    static constexpr qint64 kGapMs = 1000;

    void Append(const RideSample& sample);
    // A point read from a file; texts are given as texts.
    void AppendPoint(RidePoint point, const QString& floor, const QString& mode, const QString& fault);
    // Forgets points older than the given time.
    void DropBefore(qint64 ms);
    void Clear();

    const std::vector<RidePoint>& Points() const { return m_points; }
    bool IsEmpty() const { return m_points.empty(); }
    QString Text(std::uint16_t index) const { return index == RidePoint::kNoText ? QString() : m_texts.value(index); }
    // True when the point before point i lies more than kGapMs before it.
    bool GapBefore(size_t i) const { return i > 0 && m_points[i].ms - m_points[i - 1].ms > kGapMs; }
    // The point standing at the time (the last one at or before it), or -1.
    long PointAt(qint64 ms) const;
    // The first point at or after the time.
    size_t LowerBound(qint64 ms) const;

    // Every finished run of the car: it starts with the first speed other than
    // 0 and ends with the next 0, or at a gap, where the recording loses it.
    std::vector<RideTrip> Trips() const;

private:
    std::uint16_t Intern(const QString& text);

    std::vector<RidePoint> m_points;
    QStringList m_texts;
    QHash<QString, std::uint16_t> m_textIndex;
    RidePoint m_held; // the values standing after the last point
};
