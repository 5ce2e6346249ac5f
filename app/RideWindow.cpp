// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RideWindow.h"

#include "params/ParamCatalogue.h"
#include "params/ParamFileDialog.h"
#include "params/WholeFile.h"
#include "pages/RideCsv.h"
#include "pages/RideLog.h"
#include "ui/MessageBox.h"

#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QGraphicsLineItem>
#include <QGraphicsSimpleTextItem>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtCharts/QAreaSeries>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>

#include <algorithm>
#include <cmath>

namespace {

const char* const kLaneNames[kLaneCount] = {"运行/故障", "开门", "关门", "门锁闭合", "安全回路", "满载", "超载"};
const char* const kTripHeaders[] = {"从", "到", "开始", "时长(s)", "最高速度(m/s)", "门/安全回路"};

// Heights on the lane axis: the lanes from the top down, the mode band above
// them and the floors above that; the lower half of the chart holds them, the
// speed curve the upper half.
constexpr double kLanePitch = 1.6;
constexpr double kLaneHigh = 1.0;
constexpr double kModeBottom = kLaneCount * kLanePitch;
constexpr double kModeTop = kModeBottom + 0.8;
constexpr double kFirstFloor = kModeTop + 1.0;

// More points than this in a stretch of speed are thinned to each bucket's
// extremes: the chart has fewer pixels than that.
constexpr size_t kMostSpeedPoints = 3000;

double LaneBase(int lane)
{
    return (kLaneCount - 1 - lane) * kLanePitch;
}

// Floors sort by the number they show: basements (B1, -1) below 1, texts
// without a number above the numbered ones.
double FloorOrder(const QString& text)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (ok)
        return number;
    if (text.size() > 1 && (text[0] == 'B' || text[0] == '-')) {
        const int below = text.mid(1).toInt(&ok);
        if (ok)
            return -below;
    }
    return 1000;
}

QString TimeOfDay(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toString("HH:mm:ss.zzz");
}

} // namespace

// The series of one channel: a stretch between gaps is a series of its own,
// so a gap is never bridged. Series are kept and reused from draw to draw.
struct CRideWindow::Channel
{
    QChart* chart;
    QAbstractAxis* x;
    QAbstractAxis* y;
    QPen pen;
    std::vector<QLineSeries*> series;
    size_t used = 0;

    void Begin() { used = 0; }
    void Stretch(const QList<QPointF>& points)
    {
        if (points.isEmpty())
            return;
        if (used == series.size()) {
            auto* line = new QLineSeries;
            line->setPen(pen);
            chart->addSeries(line);
            line->attachAxis(x);
            line->attachAxis(y);
            series.push_back(line);
        }
        series[used]->replace(points);
        series[used]->setVisible(true);
        ++used;
    }
    void End()
    {
        for (size_t i = used; i < series.size(); ++i)
            if (series[i]->count() != 0) {
                series[i]->clear();
                series[i]->setVisible(false);
            }
    }
};

CRideWindow::CRideWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle("运行曲线");
    BuildChart();
    m_tripTable = new QTableWidget(0, static_cast<int>(std::size(kTripHeaders)));
    QStringList headers;
    for (const char* header : kTripHeaders)
        headers << header;
    m_tripTable->setHorizontalHeaderLabels(headers);
    m_tripTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tripTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tripTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tripTable->verticalHeader()->hide();
    m_tripTable->resizeColumnsToContents();
    connect(m_tripTable, &QTableWidget::itemSelectionChanged, this, &CRideWindow::OnTripSelected);

    auto* splitter = new QSplitter;
    splitter->addWidget(m_view);
    splitter->addWidget(m_tripTable);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    splitter->setSizes({820, 380});
    m_readout = new QLabel;
    m_readout->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(BuildButtons());
    layout->addWidget(splitter, 1);
    layout->addWidget(m_readout);
    resize(1200, 720);

    m_refresh.setInterval(kRefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &CRideWindow::Refresh);
    auto* save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, this, &CRideWindow::OnSave);
    setFocusPolicy(Qt::StrongFocus);
}

CRideWindow::~CRideWindow()
{
    for (Channel* channel : m_channels)
        delete channel;
}

void CRideWindow::BuildChart()
{
    m_chart = new QChart;
    m_chart->legend()->hide();
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_timeAxis = new QDateTimeAxis;
    m_timeAxis->setFormat("HH:mm:ss");
    m_timeAxis->setTickCount(7);
    // Labels and grid lines only where the curve is: the lanes below it have
    // labels of their own on the right.
    m_speedAxis = new QCategoryAxis;
    m_speedAxis->setTitleText("速度 m/s");
    m_speedAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_laneAxis = new QCategoryAxis;
    m_laneAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_chart->addAxis(m_speedAxis, Qt::AlignLeft);
    m_chart->addAxis(m_laneAxis, Qt::AlignRight);

    const auto channel = [this](QAbstractAxis* y, QColor colour, qreal width) {
        auto* made = new Channel{m_chart, m_timeAxis, y, QPen(colour, width), {}, 0};
        m_channels.push_back(made);
    };
    channel(m_speedAxis, QColor(20, 90, 200), 2);  // speed
    channel(m_laneAxis, QColor(150, 60, 160), 2);  // floor
    for (int lane = 0; lane < kLaneCount; ++lane)
        channel(m_laneAxis, QColor(30, 130, 60), 1.5);

    m_faults = new QScatterSeries;
    m_faults->setMarkerSize(9);
    m_faults->setColor(QColor(210, 30, 30));
    m_chart->addSeries(m_faults);
    m_faults->attachAxis(m_timeAxis);
    m_faults->attachAxis(m_laneAxis);

    m_view = new QChartView(m_chart);
    m_view->setRenderHint(QPainter::Antialiasing, false);
    m_view->setMouseTracking(true);
    m_view->viewport()->installEventFilter(this);
    m_cursorLine = new QGraphicsLineItem;
    m_cursorLine->setPen(QPen(QColor(120, 120, 120), 1, Qt::DashLine));
    m_cursorLine->setZValue(10);
    m_cursorLine->hide();
    m_chart->scene()->addItem(m_cursorLine);
}

QWidget* CRideWindow::BuildButtons()
{
    auto* bar = new QWidget;
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    const auto button = [row](const QString& text) {
        auto* made = new QPushButton(text);
        made->setFocusPolicy(Qt::NoFocus);
        row->addWidget(made);
        return made;
    };
    m_pause = button("暂停");
    connect(m_pause, &QPushButton::clicked, this, [this] { SetLive(!m_live); });
    connect(button("全部"), &QPushButton::clicked, this, [this] {
        const auto& points = Track().Points();
        if (!points.empty())
            ShowRange(points.front().ms, points.back().ms);
    });
    connect(button("保存"), &QPushButton::clicked, this, &CRideWindow::OnSave);
    connect(button("打开"), &QPushButton::clicked, this, &CRideWindow::OnOpen);
    m_keep = button("保留到维护记录");
    m_keep->setEnabled(false);
    connect(m_keep, &QPushButton::clicked, this, &CRideWindow::OnKeep);
    row->addStretch(1);
    auto* hint = new QLabel("滚轮/+- 缩放，拖动/←→ 平移，空格 暂停，End 实时");
    row->addWidget(hint);
    return bar;
}

void CRideWindow::SetKeepHook(KeepHook keep)
{
    m_keepHook = std::move(keep);
    m_keep->setEnabled(static_cast<bool>(m_keepHook));
}

void CRideWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    Refresh();
    m_refresh.start();
}

void CRideWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    m_refresh.stop();
}

void CRideWindow::Pull()
{
    if (g_rideLog.Added() == m_seen)
        return;
    for (const RideSample& sample : g_rideLog.Since(m_seen))
        m_liveTrack.Append(sample);
    m_seen = g_rideLog.Added();
    // What the ring no longer holds goes, a minute's worth at a time.
    if (!m_liveTrack.IsEmpty() && m_liveTrack.Points().front().ms < m_liveTrack.Points().back().ms - kKeptMs - kLiveSpanMs)
        m_liveTrack.DropBefore(m_liveTrack.Points().back().ms - kKeptMs);
}

void CRideWindow::Refresh()
{
    Pull();
    const auto& points = Track().Points();
    if (m_live && !m_showingFile && !points.empty()) {
        m_toMs = std::max(points.back().ms, QDateTime::currentMSecsSinceEpoch());
        m_fromMs = m_toMs - kLiveSpanMs;
    }
    UpdateTrips();
    Redraw();
}

void CRideWindow::SetLive(bool live)
{
    m_live = live && !m_showingFile;
    m_pause->setText(m_live ? "暂停" : "实时");
    if (live && m_showingFile) {
        m_showingFile = false;
        m_file.Clear();
        m_live = true;
        m_pause->setText("暂停");
        m_tripPoints = static_cast<size_t>(-1);
        setWindowTitle("运行曲线");
    }
    Refresh();
}

void CRideWindow::ShowRange(qint64 fromMs, qint64 toMs)
{
    m_live = false;
    m_pause->setText("实时");
    m_fromMs = fromMs;
    m_toMs = std::max(toMs, fromMs + 100);
    Redraw();
}

void CRideWindow::Redraw()
{
    const CRideTrack& track = Track();
    if (m_toMs <= m_fromMs)
        m_toMs = m_fromMs + kLiveSpanMs;
    m_timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(m_fromMs), QDateTime::fromMSecsSinceEpoch(m_toMs));
    // One point on either side, so lines run to the edges.
    size_t first = track.LowerBound(m_fromMs);
    first -= first > 0;
    const size_t last = std::min(track.Points().size(), track.LowerBound(m_toMs) + 1);
    m_labelsUsed = 0;
    UpdateFloorAxis(first, last);
    DrawSpeed(first, last);
    DrawSteps(first, last);
    DrawModesAndFaults(first, last);
    for (size_t i = m_labelsUsed; i < m_labels.size(); ++i)
        m_labels[i]->hide();
    if (m_cursorMs >= 0)
        MoveCursor(m_cursorMs);
}

void CRideWindow::DrawSpeed(size_t first, size_t last)
{
    const CRideTrack& track = Track();
    const auto& points = track.Points();
    double peak = 1.0;
    for (size_t i = first; i < last; ++i)
        if (points[i].SpeedKnown())
            peak = std::max(peak, std::abs(points[i].speedMps));
    const double top = std::ceil(peak * 1.1 * 2) / 2;
    // The curve takes the upper half: the lanes lie under its negative side.
    if (top != m_speedTop) {
        m_speedTop = top;
        for (const QString& label : m_speedAxis->categoriesLabels())
            m_speedAxis->remove(label);
        m_speedAxis->setStartValue(-3 * top);
        for (int step = -2; step <= 2; ++step)
            m_speedAxis->append(QString::number(step * top / 2, 'f', 2), step * top / 2);
        m_speedAxis->setRange(-3 * top, top);
    }

    Channel& speed = *m_channels[0];
    speed.Begin();
    const size_t stride = std::max<size_t>(1, (last - first) / kMostSpeedPoints);
    QList<QPointF> stretch;
    for (size_t i = first; i < last; i += stride) {
        if (stride == 1 && track.GapBefore(i)) {
            speed.Stretch(stretch);
            stretch.clear();
        }
        // A thinned bucket keeps its slowest and fastest points, in order.
        size_t low = i, high = i;
        for (size_t j = i; j < std::min(last, i + stride); ++j) {
            if (!points[j].SpeedKnown())
                continue;
            if (!points[low].SpeedKnown() || points[j].speedMps < points[low].speedMps)
                low = j;
            if (!points[high].SpeedKnown() || points[j].speedMps > points[high].speedMps)
                high = j;
        }
        for (size_t j : {std::min(low, high), std::max(low, high)})
            if (points[j].SpeedKnown() && (stretch.isEmpty() || stretch.last().x() != points[j].ms))
                stretch << QPointF(points[j].ms, points[j].speedMps);
    }
    speed.Stretch(stretch);
    speed.End();
}

// The floor and every lane as step lines: a point where the value changes,
// and one at each stretch's end.
void CRideWindow::DrawSteps(size_t first, size_t last)
{
    const CRideTrack& track = Track();
    const auto& points = track.Points();
    for (int c = 1; c < static_cast<int>(m_channels.size()); ++c) {
        Channel& channel = *m_channels[c];
        const auto level = [&](const RidePoint& point) {
            return c == 1 ? FloorLevel(point.floor) : LaneBase(c - 2) + (point.Lane(c - 2) ? kLaneHigh : 0);
        };
        channel.Begin();
        QList<QPointF> stretch;
        for (size_t i = first; i < last; ++i) {
            const RidePoint& point = points[i];
            if (track.GapBefore(i)) {
                channel.Stretch(stretch);
                stretch.clear();
            }
            if (!point.stateKnown)
                continue;
            const double y = level(point);
            const bool ends = i + 1 == last || track.GapBefore(i + 1);
            if (stretch.isEmpty())
                stretch << QPointF(point.ms, y);
            else if (stretch.last().y() != y) {
                stretch << QPointF(point.ms, stretch.last().y()) << QPointF(point.ms, y);
            } else if (ends)
                stretch << QPointF(point.ms, y);
        }
        channel.Stretch(stretch);
        channel.End();
    }
}

QGraphicsSimpleTextItem* CRideWindow::Label(size_t index)
{
    while (m_labels.size() <= index) {
        auto* label = new QGraphicsSimpleTextItem;
        label->setZValue(8);
        m_chart->scene()->addItem(label);
        m_labels.push_back(label);
    }
    m_labels[index]->show();
    return m_labels[index];
}

// The mode as bands, one per stretch of one mode, labelled where they begin;
// the fault reports as markers with their code and text.
void CRideWindow::DrawModesAndFaults(size_t first, size_t last)
{
    const CRideTrack& track = Track();
    const auto& points = track.Points();
    const QRectF plot = m_chart->plotArea();
    const auto place = [&](const QString& text, qint64 ms, double y, QColor colour) {
        QGraphicsSimpleTextItem* label = Label(m_labelsUsed++);
        label->setText(text);
        label->setBrush(colour);
        QPointF at = m_chart->mapToPosition(QPointF(std::max(ms, m_fromMs), y), m_faults);
        at.setX(std::min(at.x() + 2, plot.right() - label->boundingRect().width()));
        label->setPos(at.x(), at.y() - label->boundingRect().height());
    };
    size_t band = 0;
    for (size_t i = first; i < last;) {
        if (!points[i].stateKnown) {
            ++i;
            continue;
        }
        size_t end = i + 1;
        while (end < last && points[end].stateKnown && points[end].mode == points[i].mode && !track.GapBefore(end))
            ++end;
        const qint64 to = end < last && !track.GapBefore(end) ? points[end].ms : points[end - 1].ms;
        if (band == m_modeBands.size()) {
            auto* upper = new QLineSeries(this);
            auto* lower = new QLineSeries(this);
            auto* area = new QAreaSeries(upper, lower);
            m_chart->addSeries(area);
            area->attachAxis(m_timeAxis);
            area->attachAxis(m_laneAxis);
            m_modeBands.push_back(upper);
            m_modeBands.push_back(lower);
        }
        const QString mode = track.Text(points[i].mode);
        m_modeBands[band]->replace({QPointF(points[i].ms, kModeTop), QPointF(to, kModeTop)});
        m_modeBands[band + 1]->replace({QPointF(points[i].ms, kModeBottom), QPointF(to, kModeBottom)});
        auto* area = qobject_cast<QAreaSeries*>(m_chart->series().at(m_chart->series().size() - 1));
        for (QAbstractSeries* series : m_chart->series())
            if (auto* a = qobject_cast<QAreaSeries*>(series); a && a->upperSeries() == m_modeBands[band])
                area = a;
        area->setColor(mode == "自动" ? QColor(200, 230, 200) : QColor(250, 210, 150));
        area->setBorderColor(Qt::transparent);
        area->setVisible(true);
        place(mode, points[i].ms, kModeTop, Qt::black);
        band += 2;
        i = end;
    }
    for (QAbstractSeries* series : m_chart->series())
        if (auto* a = qobject_cast<QAreaSeries*>(series))
            if (std::find(m_modeBands.begin(), m_modeBands.begin() + static_cast<long>(band), a->upperSeries()) ==
                m_modeBands.begin() + static_cast<long>(band))
                a->setVisible(false);

    QList<QPointF> markers;
    for (size_t i = first; i < last; ++i) {
        if (points[i].fault == RidePoint::kNoText)
            continue;
        const QString code = track.Text(points[i].fault);
        const double y = kModeTop + 0.5;
        markers << QPointF(points[i].ms, y);
        const QString text = CParamCatalogue::FaultText(true, code.toInt());
        place("故障 " + code + (text.isEmpty() ? QString() : " " + text), points[i].ms, y + 0.4, QColor(190, 20, 20));
    }
    m_faults->replace(markers);
}

double CRideWindow::FloorLevel(std::uint16_t floor) const
{
    const QString text = Track().Text(floor);
    for (size_t k = 0; k < m_floorLevels.size(); ++k)
        if (m_floorLevels[k].first == text)
            return m_floorLevels[k].second;
    return kFirstFloor;
}

// The lane axis names the lanes and the floors the shown range passes.
void CRideWindow::UpdateFloorAxis(size_t first, size_t last)
{
    const CRideTrack& track = Track();
    std::vector<QString> floors;
    for (size_t i = first; i < last; ++i) {
        const QString text = track.Text(track.Points()[i].floor);
        if (track.Points()[i].stateKnown && std::find(floors.begin(), floors.end(), text) == floors.end())
            floors.push_back(text);
    }
    std::stable_sort(floors.begin(), floors.end(),
                     [](const QString& a, const QString& b) { return FloorOrder(a) < FloorOrder(b); });
    std::vector<std::pair<QString, double>> levels;
    for (size_t k = 0; k < floors.size(); ++k)
        levels.emplace_back(floors[k], kFirstFloor + static_cast<double>(k));
    const double top = kFirstFloor + static_cast<double>(std::max<size_t>(floors.size(), 1));
    if (levels == m_floorLevels && m_laneAxis->count() > 0)
        return;
    m_floorLevels = levels;
    for (const QString& label : m_laneAxis->categoriesLabels())
        m_laneAxis->remove(label);
    for (int lane = kLaneCount - 1; lane >= 0; --lane)
        m_laneAxis->append(kLaneNames[lane], LaneBase(lane) + kLaneHigh / 2);
    m_laneAxis->append("状态", (kModeBottom + kModeTop) / 2);
    for (const auto& [text, level] : m_floorLevels)
        if (!text.trimmed().isEmpty())
            m_laneAxis->append(text + "层", level);
    // The lanes take the lower half of the chart.
    m_laneAxis->setRange(-0.3, 2 * top);
}

void CRideWindow::UpdateTrips()
{
    const CRideTrack& track = Track();
    // The runs are looked for again once a second at most.
    if (track.Points().size() == m_tripPoints || (m_tripClock.isValid() && m_tripClock.elapsed() < 1000 &&
                                                   m_tripPoints != static_cast<size_t>(-1)))
        return;
    m_tripClock.start();
    m_tripPoints = track.Points().size();
    std::vector<RideTrip> trips = track.Trips();
    if (trips.size() == m_trips.size() && (trips.empty() || trips.back().endMs == m_trips.back().endMs))
        return;
    m_trips = std::move(trips);
    const QSignalBlocker blocker(m_tripTable);
    m_tripTable->setRowCount(static_cast<int>(m_trips.size()));
    for (int row = 0; row < static_cast<int>(m_trips.size()); ++row) {
        const RideTrip& trip = m_trips[row];
        const QStringList cells{trip.fromFloor,
                                trip.toFloor,
                                QDateTime::fromMSecsSinceEpoch(trip.startMs).toString("HH:mm:ss"),
                                QString::number((trip.endMs - trip.startMs) / 1000.0, 'f', 1),
                                QString::number(trip.peakMps, 'f', 3),
                                trip.doorOrSafety ? "有变化" : ""};
        for (int column = 0; column < cells.size(); ++column)
            m_tripTable->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    m_tripTable->resizeColumnsToContents();
}

void CRideWindow::OnTripSelected()
{
    const int row = m_tripTable->currentRow();
    if (row < 0 || row >= static_cast<int>(m_trips.size()))
        return;
    const RideTrip& trip = m_trips[row];
    const qint64 margin = std::max<qint64>(1000, (trip.endMs - trip.startMs) / 5);
    ShowRange(trip.startMs - margin, trip.endMs + margin);
}

QString CRideWindow::Readout(qint64 ms) const
{
    const CRideTrack& track = Track();
    const long at = track.PointAt(ms);
    QString text = QDateTime::fromMSecsSinceEpoch(ms).toString("yyyy-MM-dd HH:mm:ss.zzz");
    // Within a gap nothing is known.
    const bool inGap = at >= 0 && static_cast<size_t>(at + 1) < track.Points().size() && track.GapBefore(at + 1) &&
                       ms - track.Points()[at].ms > CRideTrack::kGapMs;
    if (at < 0 || inGap)
        return text + "  无数据";
    const RidePoint& point = track.Points()[at];
    text += point.SpeedKnown() ? QString::asprintf("  速度 %.3f m/s", point.speedMps) : QString("  速度 -");
    if (point.stateKnown) {
        text += "  楼层 " + track.Text(point.floor) + "  " + track.Text(point.mode);
        for (int lane = 0; lane < kLaneCount; ++lane)
            text += QString("  %1 %2").arg(kLaneNames[lane]).arg(point.Lane(lane) ? 1 : 0);
    }
    return text;
}

void CRideWindow::MoveCursor(qint64 ms)
{
    m_cursorMs = ms;
    const QRectF plot = m_chart->plotArea();
    const qreal x = m_chart->mapToPosition(QPointF(ms, 0), m_faults).x();
    m_cursorLine->setLine(x, plot.top(), x, plot.bottom());
    m_cursorLine->setVisible(x >= plot.left() && x <= plot.right());
    m_readout->setText(Readout(ms));
}

qint64 CRideWindow::TimeAt(const QPointF& viewPoint) const
{
    const QPointF scene = m_view->mapToScene(viewPoint.toPoint());
    return static_cast<qint64>(m_chart->mapToValue(m_chart->mapFromScene(scene), m_faults).x());
}

void CRideWindow::Zoom(double factor, qint64 aroundMs)
{
    const auto span = static_cast<qint64>(std::clamp((m_toMs - m_fromMs) * factor, 200.0, double(kKeptMs)));
    const double share = double(aroundMs - m_fromMs) / std::max<qint64>(1, m_toMs - m_fromMs);
    const auto from = aroundMs - static_cast<qint64>(share * span);
    ShowRange(from, from + span);
}

void CRideWindow::Pan(double fraction)
{
    const auto step = static_cast<qint64>((m_toMs - m_fromMs) * fraction);
    ShowRange(m_fromMs + step, m_toMs + step);
}

bool CRideWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_view->viewport())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Wheel: {
        auto* wheel = static_cast<QWheelEvent*>(event);
        Zoom(wheel->angleDelta().y() > 0 ? 0.8 : 1.25, TimeAt(wheel->position()));
        return true;
    }
    case QEvent::MouseButtonPress:
        m_dragging = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        m_dragFrom = static_cast<QMouseEvent*>(event)->position();
        return true;
    case QEvent::MouseButtonRelease: m_dragging = false; return true;
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_dragging) {
            const qint64 moved = TimeAt(m_dragFrom) - TimeAt(mouse->position());
            m_dragFrom = mouse->position();
            ShowRange(m_fromMs + moved, m_toMs + moved);
        }
        MoveCursor(TimeAt(mouse->position()));
        return true;
    }
    default: return QWidget::eventFilter(watched, event);
    }
}

void CRideWindow::keyPressEvent(QKeyEvent* event)
{
    const qint64 middle = (m_fromMs + m_toMs) / 2;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: Zoom(0.8, middle); break;
    case Qt::Key_Minus: Zoom(1.25, middle); break;
    case Qt::Key_Left: Pan(-0.2); break;
    case Qt::Key_Right: Pan(0.2); break;
    case Qt::Key_Space: SetLive(!m_live); break;
    case Qt::Key_End: SetLive(true); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void CRideWindow::OnSave()
{
    const QString path = ChooseParamFile(this, true, "运行曲线", "csv");
    if (path.isEmpty())
        return;
    const int answer = path.endsWith(".png", Qt::CaseInsensitive)
                           ? IDYES
                           : VelorMessageBox("只保存显示的时间范围？\n（选“否”保存全部记录）", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer != IDCANCEL)
        SaveTo(path, answer == IDNO);
}

bool CRideWindow::SaveTo(const QString& path, bool all)
{
    QByteArray bytes;
    if (path.endsWith(".png", Qt::CaseInsensitive)) {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        m_view->grab().save(&buffer, "PNG");
    } else {
        const auto& points = Track().Points();
        bytes = all || points.empty() ? RideCsv::Bytes(Track(), std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max())
                                      : RideCsv::Bytes(Track(), m_fromMs, m_toMs);
    }
    QString error;
    if (WriteWholeFile(path, bytes, "运行曲线文件", error))
        return true;
    VelorMessageBox(error, MB_OK | MB_ICONWARNING);
    return false;
}

// A saved recording opens in a window of its own, beside the live one (or
// instead of the file this window shows).
void CRideWindow::OnOpen()
{
    const QString path = ChooseParamFile(this, false, "运行曲线", "csv");
    if (path.isEmpty())
        return;
    if (m_showingFile) {
        Open(path);
        return;
    }
    auto* beside = new CRideWindow(parentWidget());
    beside->setAttribute(Qt::WA_DeleteOnClose);
    if (!beside->Open(path)) {
        delete beside;
        return;
    }
    beside->show();
}

bool CRideWindow::Open(const QString& path)
{
    QFile file(path);
    QString error;
    CRideTrack track;
    if (!file.open(QIODevice::ReadOnly))
        error = FileFailureText("无法打开", path, file.errorString());
    else if (!RideCsv::Read(file.readAll(), track, error))
        error = path + "：" + error;
    if (!error.isEmpty()) {
        VelorMessageBox(error, MB_OK | MB_ICONWARNING);
        return false;
    }
    m_file = std::move(track);
    m_showingFile = true;
    m_tripPoints = static_cast<size_t>(-1);
    m_trips.clear();
    setWindowTitle("运行曲线 - " + path);
    const auto& points = m_file.Points();
    UpdateTrips();
    ShowRange(points.empty() ? 0 : points.front().ms, points.empty() ? kLiveSpanMs : points.back().ms);
    return true;
}

void CRideWindow::OnKeep()
{
    if (m_keepHook)
        m_keepHook(Track(), m_fromMs, m_toMs);
}
