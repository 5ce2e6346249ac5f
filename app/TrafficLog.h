// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QFont>

#include <deque>
#include <vector>

// One frame on the serial line as the traffic window lists it.
struct TrafficEntry
{
    qint64 time = 0;          // milliseconds since the epoch
    bool sent = false;        // written by the tool; otherwise received
    int baud = 0;             // the line rate at that moment
    QByteArray bytes;         // as they went over the line; empty: no reply came
    bool unsolicited = false; // sent by the controller on its own (a fault report)
    QString note;             // what the tool made of it, or a note of the link without a frame
};

// The frames of the traffic window, oldest first: time (ms), direction, baud
// rate, a note (fault report, no reply) and the frame in readable form. Holds at most kMaxRows frames;
// when full, the oldest kDropRows go at once, so rows a technician is reading
// move only now and then.
class CTrafficLog : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { TimeColumn, DirectionColumn, BaudColumn, NoteColumn, FrameColumn, ColumnCount };
    static constexpr int kMaxRows = 50000;
    static constexpr int kDropRows = 5000;

    using QAbstractTableModel::QAbstractTableModel;

    void Add(TrafficEntry entry);
    // Adds several at once, as one insertion (and at most one removal).
    void Add(std::vector<TrafficEntry> entries);
    void Clear();
    const TrafficEntry& Entry(int row) const { return m_entries[row]; }

    // One row as the saved text shows it: the columns separated by tabs.
    QString RowText(int row) const { return LineText(m_entries[row]); }
    QString Text(int row, int column) const { return EntryText(m_entries[row], column); }
    // The same for a frame not in the list (the log file's lines).
    static QString LineText(const TrafficEntry& entry);
    static QString EntryText(const TrafficEntry& entry, int column);
    // Frames show in a fixed-width font, so their fields line up.
    static const QFont& FrameFont();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::deque<TrafficEntry> m_entries;
};
