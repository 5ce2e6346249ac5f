// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CellList.h"

#include "ui/CellCursorDelegate.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

CCellList::CCellList(QWidget* parent)
    : QTreeWidget(parent)
{
    setItemDelegate(new CCellCursorDelegate(this));
    setRootIsDecorated(false);
    setAllColumnsShowFocus(true);  // the focus is a row's; both rows repaint when it moves
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    header()->setSectionsMovable(true);
}

int CCellList::ColumnPosition(int column) const
{
    const QHeaderView* order = header();
    for (int position = 0; position < order->count(); ++position)
        if (order->logicalIndex(position) == column)
            return position;
    return -1;
}

void CCellList::EnsureColumnVisible(int column)
{
    const int position = ColumnPosition(column);
    if (column < 0 || position < 0)
        return;
    const QHeaderView* order = header();
    int left = 0;
    for (int before = 0; before < position; ++before)
        left += order->sectionSize(order->logicalIndex(before));
    const int width = order->sectionSize(column);

    const int rowLeft = -horizontalOffset();
    const int offset = rowLeft + left;
    if (offset < 0 || offset + width > viewport()->width())
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + offset);
}

bool CCellList::IsCurrentCell(const QModelIndex& index) const
{
    return m_currentColumn != -1 && index.isValid() && !index.parent().isValid()
        && index.row() == FocusedRow() && index.column() == header()->logicalIndex(m_currentColumn);
}

int CCellList::FocusedRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

bool CCellList::IsOnLabel(const QModelIndex& index, const QPoint& point) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    const auto* delegate = qobject_cast<const CCellCursorDelegate*>(itemDelegate());
    return (delegate ? delegate->LabelRect(option, index) : option.rect).contains(point);
}

void CCellList::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QTreeWidget::mousePressEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    const QModelIndex hit = indexAt(point);
    m_pressIgnored = !hit.isValid();
    if (m_pressIgnored)
        return;

    const bool onLabel = hit.column() != 0 || IsOnLabel(hit, point);
    const int oldColumn = m_currentColumn;
    m_currentColumn = ColumnPosition(hit.column());
    EnsureColumnVisible(header()->logicalIndex(m_currentColumn));
    const bool hadFocus = FocusedRow() == hit.row();

    QTreeWidget::mousePressEvent(event);
    viewport()->update();

    if (hadFocus && m_currentColumn != -1 && m_currentColumn == oldColumn && onLabel)
        emit BeginLabelEdit(hit.row(), hit.column(), hit.data(Qt::DisplayRole).toString());
}

void CCellList::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressIgnored)
        QTreeWidget::mouseMoveEvent(event);
}

void CCellList::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_pressIgnored && event->button() == Qt::LeftButton) {
        m_pressIgnored = false;
        return;
    }
    QTreeWidget::mouseReleaseEvent(event);
}

void CCellList::SetGridLines(bool on)
{
    m_gridLines = on;
    viewport()->update();
}

QColor CCellList::GridLineColor() const
{
    return palette().color(QPalette::Midlight);
}

// After the row's cells: a line along the bottom of the row and one at the
// right edge of every cell, in display order.
void CCellList::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QTreeWidget::drawRow(painter, option, index);
    if (!m_gridLines)
        return;
    const QRect row = option.rect;
    painter->save();
    painter->setPen(GridLineColor());
    painter->drawLine(row.left(), row.bottom(), row.right(), row.bottom());
    const QHeaderView* order = header();
    for (int position = 0; position < order->count(); ++position) {
        const int column = order->logicalIndex(position);
        if (order->isSectionHidden(column))
            continue;
        const int right = order->sectionViewportPosition(column) + order->sectionSize(column) - 1;
        painter->drawLine(right, row.top(), right, row.bottom());
    }
    painter->restore();
}
