// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/RideCsv.h"

#include "params/CsvReport.h"

#include <QDateTime>

#include <cmath>

namespace {

constexpr int kFirstLaneColumn = 3;
constexpr int kModeColumn = kFirstLaneColumn + kLaneCount;
constexpr int kFaultColumn = kModeColumn + 1;
constexpr int kColumnCount = kFaultColumn + 1;

QString TimeText(qint64 ms)
{
    const QDateTime local = QDateTime::fromMSecsSinceEpoch(ms);
    const int offset = local.offsetFromUtc();
    const QDateTime fixed = local.toOffsetFromUtc(offset);
    const int minutes = std::abs(offset) / 60;
    return fixed.toString("yyyy-MM-ddTHH:mm:ss.zzz") + (offset < 0 ? '-' : '+') +
           QString::asprintf("%02d:%02d", minutes / 60, minutes % 60);
}

QStringList Row(const CRideTrack& track, const RidePoint& point)
{
    QStringList row{TimeText(point.ms),
                    point.SpeedKnown() ? QString::number(point.speedMps, 'g', QLocale::FloatingPointShortest) : QString(),
                    track.Text(point.floor)};
    for (int lane = 0; lane < kLaneCount; ++lane)
        row << (point.stateKnown ? QString(point.Lane(lane) ? "1" : "0") : QString());
    row << track.Text(point.mode) << track.Text(point.fault);
    return row;
}

// Splits the text as the writer quotes it: a field with a comma, a quote or
// a line break quoted, quotes doubled, rows ending with CR LF (or LF alone).
bool SplitCsv(const QString& text, QList<QStringList>& rows)
{
    QStringList row{QString()};
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                row.last() += text[i++];
            else if (c == '"')
                quoted = false;
            else
                row.last() += c;
        } else if (c == '"')
            quoted = true;
        else if (c == ',')
            row << QString();
        else if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            i += c == '\r';
            rows << row;
            row = QStringList{QString()};
        } else
            row.last() += c;
    }
    if (row.size() > 1 || !row.first().isEmpty())
        rows << row;
    return !quoted;
}

// One row as a point; an empty text on success, else what is wrong.
QString ParseRow(const QStringList& row, RidePoint& point)
{
    if (row.size() != kColumnCount)
        return QString("有 %1 列，应为 %2 列").arg(row.size()).arg(kColumnCount);
    const QDateTime time = QDateTime::fromString(row[0], Qt::ISODateWithMs);
    if (!time.isValid())
        return "时间“" + row[0] + "”无法识别";
    point.ms = time.toMSecsSinceEpoch();
    bool ok = true;
    point.speedMps = row[1].isEmpty() ? NAN : row[1].toDouble(&ok);
    if (!ok || (!row[1].isEmpty() && !std::isfinite(point.speedMps)))
        return "速度“" + row[1] + "”不是数";
    int empty = 0;
    for (int lane = 0; lane < kLaneCount; ++lane) {
        const QString& field = row[kFirstLaneColumn + lane];
        empty += field.isEmpty();
        if (!field.isEmpty() && field != "0" && field != "1")
            return "信号“" + field + "”应为 0 或 1";
        point.lanes |= static_cast<std::uint8_t>((field == "1") << lane);
    }
    if (empty != 0 && empty != kLaneCount)
        return "信号列部分为空";
    point.stateKnown = empty == 0;
    return {};
}

} // namespace

QStringList RideCsv::Header()
{
    return {"time",          "speed_mps", "floor",     "running",  "door_opening", "door_closing",
            "door_locked",   "safety",    "full_load", "overload", "mode",         "fault"};
}

QByteArray RideCsv::Bytes(const CRideTrack& track, qint64 fromMs, qint64 toMs)
{
    QList<QStringList> rows{Header()};
    const auto& points = track.Points();
    for (size_t i = track.LowerBound(fromMs); i < points.size() && points[i].ms <= toMs; ++i)
        rows << Row(track, points[i]);
    return CsvBytes(rows);
}

bool RideCsv::Read(const QByteArray& bytes, CRideTrack& track, QString& error)
{
    track.Clear();
    const QByteArray bom("\xEF\xBB\xBF");
    const QByteArray body = bytes.startsWith(bom) ? bytes.mid(bom.size()) : bytes;
    QList<QStringList> rows;
    if (!SplitCsv(QString::fromUtf8(body), rows) || rows.isEmpty() || rows.first() != Header()) {
        error = "不是运行曲线文件：第一行应为 " + Header().join(',');
        return false;
    }
    qint64 lastMs = 0;
    for (qsizetype r = 1; r < rows.size(); ++r) {
        RidePoint point;
        QString problem = ParseRow(rows[r], point);
        if (problem.isEmpty() && r > 1 && point.ms < lastMs)
            problem = "时间早于上一行";
        if (!problem.isEmpty()) {
            error = QString("运行曲线文件第 %1 行有误：").arg(r + 1) + problem;
            track.Clear();
            return false;
        }
        lastMs = point.ms;
        const QStringList& row = rows[r];
        track.AppendPoint(point, row[2], row[kModeColumn], row[kFaultColumn]);
    }
    return true;
}
