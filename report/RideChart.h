// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QImage>
#include <QString>

// The speed over time of a ride recording (the ride recorder's CSV text:
// columns time and speed_mps by their header) as a chart image of the given
// size. A text that is no recording gives a null image and the reason.
QImage RideChart(const QString& csv, QSize size, const QFont& font, QString& error);
