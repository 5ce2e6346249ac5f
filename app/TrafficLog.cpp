#include "app/TrafficLog.h"

#include "link/FrameText.h"

#include <QColor>
#include <QDateTime>
#include <QFontDatabase>

namespace {

const char* const kHeaders[CTrafficLog::ColumnCount] = {"时间", "方向", "波特率", "帧", "说明"};

QString NoteText(const TrafficEntry& entry)
{
    if (entry.unsolicited)
        return "主动上报（故障报告）";
    if (!entry.sent && entry.bytes.isEmpty())
        return "无应答";
    return {};
}

const QFont& FixedFont()
{
    static const QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return font;
}

} // namespace

void CTrafficLog::Add(TrafficEntry entry)
{
    if (static_cast<int>(m_entries.size()) >= kMaxRows) {
        beginRemoveRows({}, 0, kDropRows - 1);
        m_entries.erase(m_entries.begin(), m_entries.begin() + kDropRows);
        endRemoveRows();
    }
    const int row = static_cast<int>(m_entries.size());
    beginInsertRows({}, row, row);
    m_entries.push_back(std::move(entry));
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

QString CTrafficLog::Text(int row, int column) const
{
    const TrafficEntry& entry = m_entries[row];
    switch (column) {
    case TimeColumn: return QDateTime::fromMSecsSinceEpoch(entry.time).toString("HH:mm:ss.zzz");
    case DirectionColumn: return entry.sent ? "发送 →" : "接收 ←";
    case BaudColumn: return QString::number(entry.baud);
    case FrameColumn: return QString::fromStdString(ReadableFrame({entry.bytes.constData(), size_t(entry.bytes.size())}));
    case NoteColumn: return NoteText(entry);
    default: return {};
    }
}

QString CTrafficLog::RowText(int row) const
{
    QStringList columns;
    for (int column = 0; column < ColumnCount; ++column)
        columns << Text(row, column);
    return columns.join('\t');
}

QVariant CTrafficLog::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return Text(index.row(), index.column());
    if (role == Qt::FontRole && index.column() == FrameColumn)
        return FixedFont();
    if (role == Qt::ForegroundRole && m_entries[index.row()].unsolicited)
        return QColor(Qt::darkRed);
    return {};
}

QVariant CTrafficLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return QString(kHeaders[section]);
    return {};
}
