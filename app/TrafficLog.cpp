// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TrafficLog.h"

#include "link/FrameText.h"

#include <QColor>
#include <QDateTime>
#include <QFontDatabase>

namespace {

const char* const kHeaders[CTrafficLog::ColumnCount] = {"时间", "方向", "波特率", "说明", "帧"};

QString NoteText(const TrafficEntry& entry)
{
    if (entry.unsolicited)
        return "主动上报（故障报告）";
    if (!entry.note.isEmpty())
        return entry.note;
    if (!entry.sent && entry.bytes.isEmpty())
        return "无应答";
    return {};
}

// A note of the link on its own, with no frame of the line.
bool IsLinkNote(const TrafficEntry& entry)
{
    return entry.bytes.isEmpty() && !entry.note.isEmpty();
}

} // namespace

void CTrafficLog::Add(TrafficEntry entry)
{
    std::vector<TrafficEntry> entries;
    entries.push_back(std::move(entry));
    Add(std::move(entries));
}

void CTrafficLog::Add(std::vector<TrafficEntry> entries)
{
    if (entries.empty())
        return;
    // More than the log holds: only the newest count.
    if (static_cast<int>(entries.size()) > kMaxRows)
        entries.erase(entries.begin(), entries.end() - kMaxRows);
    const int count = static_cast<int>(entries.size());
    const int size = static_cast<int>(m_entries.size());
    if (size + count > kMaxRows) {
        const int drop = std::min(size, std::max(kDropRows, size + count - kMaxRows));
        beginRemoveRows({}, 0, drop - 1);
        m_entries.erase(m_entries.begin(), m_entries.begin() + drop);
        endRemoveRows();
    }
    const int first = static_cast<int>(m_entries.size());
    beginInsertRows({}, first, first + count - 1);
    std::move(entries.begin(), entries.end(), std::back_inserter(m_entries));
    endInsertRows();
}

void CTrafficLog::Clear()
{
    beginResetModel();
    m_entries.clear();
    endResetModel();
}

int CTrafficLog::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_entries.size());
}

int CTrafficLog::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString CTrafficLog::EntryText(const TrafficEntry& entry, int column)
{
    switch (column) {
    case TimeColumn: return QDateTime::fromMSecsSinceEpoch(entry.time).toString("HH:mm:ss.zzz");
    case DirectionColumn: return IsLinkNote(entry) ? QString() : entry.sent ? "发送 →" : "接收 ←";
    case BaudColumn: return IsLinkNote(entry) ? QString() : QString::number(entry.baud);
    case FrameColumn: return QString::fromStdString(ReadableFrame({entry.bytes.constData(), size_t(entry.bytes.size())}));
    case NoteColumn: return NoteText(entry);
    default: return {};
    }
}

QString CTrafficLog::LineText(const TrafficEntry& entry)
{
    QStringList columns;
    for (int column = 0; column < ColumnCount; ++column)
        columns << EntryText(entry, column);
    return columns.join('\t');
}

QVariant CTrafficLog::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    // A frame wider than its column shows whole as the tooltip.
    if (role == Qt::DisplayRole || (role == Qt::ToolTipRole && index.column() == FrameColumn))
        return Text(index.row(), index.column());
    if (role == Qt::FontRole && index.column() == FrameColumn)
        return FrameFont();
    if (role == Qt::ForegroundRole && m_entries[index.row()].unsolicited)
        return QColor(Qt::darkRed);
    return {};
}

const QFont& CTrafficLog::FrameFont()
{
    static const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return font;
}

QVariant CTrafficLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return QString(kHeaders[section]);
    return {};
}
