// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pages/RideTrack.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

class QChart;
class QChartView;
class QDateTimeAxis;
class QCategoryAxis;
class QGraphicsLineItem;
class QGraphicsSimpleTextItem;
class QLabel;
class QLineSeries;
class QPushButton;
class QScatterSeries;
class QTableWidget;
class QXYSeries;

// The ride recorder "运行曲线": the car's speed, floor, logic lanes, operating
// mode and fault reports over time, drawn from the replies the status page
// polls (CRideLog), or from a saved recording. Live it shows the last minute
// scrolling; pause, zoom and pan (mouse and keys) look back over what the
// ring holds. A cursor reads out every channel at its instant; the trip table
// beside it lists the car's runs, a row zooming the chart to its run.
class CRideWindow : public QWidget
{
    Q_OBJECT
public:
    using KeepHook = std::function<void(const CRideTrack&, qint64 fromMs, qint64 toMs)>;
    static constexpr int kRefreshMs = 250;
    static constexpr qint64 kLiveSpanMs = 60 * 1000;
    static constexpr qint64 kKeptMs = 2 * 3600 * 1000;

    explicit CRideWindow(QWidget* parent = nullptr);
    ~CRideWindow() override;

    // Takes the samples the log gained and redraws.
    void Refresh();
    bool IsLive() const { return m_live; }
    void SetLive(bool live);
    // Shows the range (pausing the live view).
    void ShowRange(qint64 fromMs, qint64 toMs);
    qint64 ShownFrom() const { return m_fromMs; }
    qint64 ShownTo() const { return m_toMs; }
    // The recording shown: the live one or an opened file.
    const CRideTrack& Track() const { return m_showingFile ? m_file : m_liveTrack; }
    const std::vector<RideTrip>& Trips() const { return m_trips; }
    QTableWidget* TripTable() const { return m_tripTable; }
    // The readout of the cursor at an instant.
    QString Readout(qint64 ms) const;

    // Writes the shown range (or all) as CSV, or as a picture for a name
    // ending in ".png"; false after telling the user why not.
    bool SaveTo(const QString& path, bool all);
    // Shows a saved recording instead of the live one; false after telling why not.
    bool Open(const QString& path);
    void SetKeepHook(KeepHook keep);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Channel; // one drawn channel: its series, one per stretch without a gap
    void BuildChart();
    QWidget* BuildButtons();
    void Pull();
    void Redraw();
    void DrawSpeed(size_t first, size_t last);
    void DrawSteps(size_t first, size_t last);
    void DrawModesAndFaults(size_t first, size_t last);
    void UpdateTrips();
    void UpdateFloorAxis(size_t first, size_t last);
    double FloorLevel(std::uint16_t floor) const;
    void MoveCursor(qint64 ms);
    void Zoom(double factor, qint64 aroundMs);
    void Pan(double fraction);
    void OnSave();
    void OnOpen();
    void OnKeep();
    void OnTripSelected();
    QGraphicsSimpleTextItem* Label(size_t index);
    qint64 TimeAt(const QPointF& viewPoint) const;

    CRideTrack m_liveTrack;
    CRideTrack m_file;
    bool m_showingFile = false;
    std::uint64_t m_seen = 0;
    std::vector<RideTrip> m_trips;
    size_t m_tripPoints = 0; // points the trips were found in
    QElapsedTimer m_tripClock;
    QTimer m_refresh;
    bool m_live = true;
    qint64 m_fromMs = 0;
    qint64 m_toMs = 0;
    qint64 m_cursorMs = -1;
    std::vector<std::pair<QString, double>> m_floorLevels;

    QChart* m_chart;
    QChartView* m_view;
    QDateTimeAxis* m_timeAxis;
    QCategoryAxis* m_speedAxis;
    double m_speedTop = 0; // the speed axis's labels are for this top speed
    QCategoryAxis* m_laneAxis;
    std::vector<Channel*> m_channels; // speed, floor, the lanes
    std::vector<QXYSeries*> m_modeBands;
    QScatterSeries* m_faults;
    std::vector<QGraphicsSimpleTextItem*> m_labels;
    size_t m_labelsUsed = 0;
    QGraphicsLineItem* m_cursorLine;
    QLabel* m_readout;
    QTableWidget* m_tripTable;
    QPushButton* m_pause;
    QPushButton* m_keep;
    KeepHook m_keepHook;
    QPointF m_dragFrom;
    bool m_dragging = false;
};
