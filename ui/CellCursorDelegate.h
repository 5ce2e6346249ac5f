// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStyledItemDelegate>

class CCellList;

// Paints the cells of a CCellList: the current cell of the focused row as a
// sunken, button-faced cell with its text left aligned, every other cell as usual.
class CCellCursorDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit CCellCursorDelegate(CCellList* list);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // The part of a cell that holds its text, without check box or icon.
    QRect LabelRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;

private:
    void PaintCurrentCell(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const;

    CCellList* m_list;
};
