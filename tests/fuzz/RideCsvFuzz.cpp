// SPDX-License-Identifier: GPL-3.0-or-later
// A ride recording (CSV) opened from any bytes: a file is read whole or
// refused with a reason, never half; what is read saves and reads back as
// the same recording, with the same trips.

#include "pages/RideCsv.h"
#include "tests/fuzz/FuzzHarness.h"

#include <limits>

namespace {

constexpr qint64 kAll[2] = {std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max()};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CRideTrack track;
    QString error;
    if (!RideCsv::Read(bytes, track, error)) {
        Require(track.IsEmpty() && !error.isEmpty(), "a refused file leaves points or gives no reason");
        return 0;
    }
    const auto& points = track.Points();
    for (size_t i = 1; i < points.size(); ++i)
        Require(points[i - 1].ms <= points[i].ms, "points out of time order");
    const QByteArray saved = RideCsv::Bytes(track, kAll[0], kAll[1]);
    CRideTrack again;
    Require(RideCsv::Read(saved, again, error), "a saved recording is refused: " + error.toStdString());
    Require(again.Points().size() == points.size(), "points lost or made up when saved again");
    Require(RideCsv::Bytes(again, kAll[0], kAll[1]) == saved, "a recording changes when saved again");
    Require(again.Trips().size() == track.Trips().size(), "trips change when saved again");
    return 0;
}
