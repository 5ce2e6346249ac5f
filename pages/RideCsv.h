// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pages/RideTrack.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// A ride recording as a CSV file: one row a point, the columns time (ISO 8601
// with milliseconds and the offset), speed_mps, floor, one 0/1 column per
// lane, mode and fault. A value not received yet is an empty field.
namespace RideCsv {

QStringList Header();
// The points from fromMs to toMs, both included, as the file's bytes.
QByteArray Bytes(const CRideTrack& track, qint64 fromMs, qint64 toMs);
// Reads a saved recording; false with the reason (and the line) for a file
// that is not one, leaving track empty.
bool Read(const QByteArray& bytes, CRideTrack& track, QString& error);

} // namespace RideCsv
