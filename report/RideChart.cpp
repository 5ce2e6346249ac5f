// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/RideChart.h"

#include <QDateTime>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct SpeedPoint
{
    double seconds;
    double speed;
};

// One line of the recorder's CSV: fields with a comma or a quote are quoted,
// quotes doubled. Its fields never hold a line break.
QStringList Fields(const QString& line)
{
    QStringList fields{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"')
            fields.last() += line[i++];
        else if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields << QString();
        else
            fields.last() += c;
    }
    return fields;
}

bool ReadSpeeds(const QString& csv, std::vector<SpeedPoint>& points, QString& error)
{
    QStringList lines = csv.split('\n', Qt::SkipEmptyParts);
    for (QString& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    const QStringList header = lines.isEmpty() ? QStringList() : Fields(lines.first().remove(QChar(0xFEFF)));
    const qsizetype timeColumn = header.indexOf("time"), speedColumn = header.indexOf("speed_mps");
    if (timeColumn < 0 || speedColumn < 0) {
        error = "不是运行曲线：缺少 time 或 speed_mps 列";
        return false;
    }
    qint64 firstMs = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList row = Fields(lines[i]);
        const QDateTime time = QDateTime::fromString(row.value(timeColumn), Qt::ISODateWithMs);
        bool ok = false;
        const double speed = row.value(speedColumn).toDouble(&ok);
        if (!time.isValid()) {
            error = QString("运行曲线第 %1 行的时间无法识别").arg(i + 1);
            return false;
        }
        if (points.empty())
            firstMs = time.toMSecsSinceEpoch();
        if (ok && std::isfinite(speed))
            points.push_back({(time.toMSecsSinceEpoch() - firstMs) / 1000.0, speed});
    }
    return true;
}

// A round step for about `count` grid lines over span.
double GridStep(double span, int count)
{
    const double raw = std::max(span, 1e-3) / count;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double factor : {1.0, 2.0, 5.0})
        if (raw <= factor * power)
            return factor * power;
    return 10 * power;
}

} // namespace

QImage RideChart(const QString& csv, QSize size, const QFont& font, QString& error)
{
    std::vector<SpeedPoint> points;
    if (!ReadSpeeds(csv, points, error))
        return {};
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font);
    const QFontMetrics metrics(font);
    const QRectF plot(metrics.horizontalAdvance("-0.00 ") + 8, metrics.height(), size.width() - metrics.horizontalAdvance("-0.00 ") - 24,
                      size.height() - 3 * metrics.height());
    double duration = 1, top = 0.5, bottom = 0;
    for (const SpeedPoint& p : points) {
        duration = std::max(duration, p.seconds);
        top = std::max(top, p.speed);
        bottom = std::min(bottom, p.speed);
    }
    top *= 1.1;
    const auto at = [&](double seconds, double speed) {
        return QPointF(plot.left() + plot.width() * seconds / duration,
                       plot.bottom() - plot.height() * (speed - bottom) / (top - bottom));
    };
    painter.setPen(QColor(210, 210, 210));
    const double xStep = GridStep(duration, 8), yStep = GridStep(top - bottom, 5);
    for (double s = 0; s <= duration + 1e-9; s += xStep) {
        painter.setPen(QColor(210, 210, 210));
        painter.drawLine(at(s, bottom), at(s, top));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(at(s, bottom).x() - 50, plot.bottom() + 2, 100, metrics.height()), Qt::AlignCenter,
                         QString::number(s, 'g', 4));
    }
    for (double v = std::ceil(bottom / yStep) * yStep; v <= top + 1e-9; v += yStep) {
        painter.setPen(QColor(210, 210, 210));
        painter.drawLine(at(0, v), at(duration, v));
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, at(0, v).y() - metrics.height() / 2.0, plot.left() - 6, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(v, 'f', 2));
    }
    painter.drawText(QRectF(plot.left(), 0, plot.width(), metrics.height()), Qt::AlignLeft, "速度 m/s");
    painter.drawText(QRectF(plot.left(), plot.bottom() + metrics.height() + 2, plot.width(), metrics.height()),
                     Qt::AlignRight, "时间 s");
    painter.drawRect(plot);
    QPainterPath path;
    for (std::size_t i = 0; i < points.size(); ++i)
        i == 0 ? path.moveTo(at(points[i].seconds, points[i].speed)) : path.lineTo(at(points[i].seconds, points[i].speed));
    painter.setPen(QPen(QColor(0, 90, 200), 2));
    painter.drawPath(path);
    return image;
}
