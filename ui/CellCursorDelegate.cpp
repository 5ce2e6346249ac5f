// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CellCursorDelegate.h"

#include "ui/CellList.h"

#include <QApplication>
#include <QPainter>

namespace {

// A one-pixel 3-D frame drawn on the inside of `rect`: top and left edges in
// `topLeft`, bottom and right edges in `bottomRight`.
void Draw3dFrame(QPainter* painter, const QRect& rect, const QColor& topLeft, const QColor& bottomRight)
{
    const int x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    painter->fillRect(x, y, w - 1, 1, topLeft);
    painter->fillRect(x, y, 1, h - 1, topLeft);
    painter->fillRect(x + w - 1, y, 1, h, bottomRight);
    painter->fillRect(x, y + h - 1, w, 1, bottomRight);
}

} // namespace

CCellCursorDelegate::CCellCursorDelegate(CCellList* list)
    : QStyledItemDelegate(list)
    , m_list(list)
{
}

void CCellCursorDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const
{
    if (m_list->IsCurrentCell(index))
        PaintCurrentCell(painter, option, index);
    else
        QStyledItemDelegate::paint(painter, option, index);
}

QRect CCellCursorDelegate::LabelRect(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem itemOption = option;
    initStyleOption(&itemOption, index);
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    return style->subElementRect(QStyle::SE_ItemViewItemText, &itemOption, widget);
}

void CCellCursorDelegate::PaintCurrentCell(QPainter* painter, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const
{
    const QPalette& palette = option.palette;
    const int pad = 2 * option.fontMetrics.horizontalAdvance(QLatin1Char(' '));
    QRect cell = option.rect;
    if (index.column() == 0) {
        const QRect label = LabelRect(option, index);
        cell.setLeft(label.left());
        cell.setRight(label.right());
    }

    painter->save();
    painter->fillRect(cell, palette.color(QPalette::Button));
    painter->setFont(option.font);
    painter->setPen(palette.color(QPalette::ButtonText));
    painter->drawText(cell.adjusted(pad, 0, -pad, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      index.data(Qt::DisplayRole).toString());
    Draw3dFrame(painter, cell, palette.color(QPalette::Dark), palette.color(QPalette::Button));
    Draw3dFrame(painter, cell.adjusted(1, 1, -1, -1), palette.color(QPalette::Shadow),
                palette.color(QPalette::Light));
    painter->restore();
}
