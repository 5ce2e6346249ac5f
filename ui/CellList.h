// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTreeWidget>

// A report list with a cell cursor: besides the row selection it remembers
// one current column, keeps that column scrolled into view and draws the cell
// where the focused row meets the current column as a sunken, button-faced
// cell. Its columns can be reordered by dragging their headers, so every column
// calculation goes through the header's display order.
//
// A left press outside the rows is swallowed whole (press, moves and release):
// selection and focus stay as they were and no click is reported. A second
// left press on the cell that is already current (same focused row, same
// column position) offers to edit it through BeginLabelEdit.
class CCellList : public QTreeWidget
{
    Q_OBJECT
public:
    explicit CCellList(QWidget* parent = nullptr);

    // Display position of the current column; -1 until the first press on a row.
    int CurrentColumn() const { return m_currentColumn; }

    // Display position of column index `column` in the header's order, or -1.
    int ColumnPosition(int column) const;
    // Scrolls horizontally so that column index `column` starts at the left
    // edge of the list when it is not fully visible; nothing for a negative index.
    void EnsureColumnVisible(int column);

    // True for the cell drawn sunken: the focused row at the current column.
    bool IsCurrentCell(const QModelIndex& index) const;

    // Grid lines between the cells of the rows (off at creation).
    void SetGridLines(bool on);
    bool HasGridLines() const { return m_gridLines; }
    QColor GridLineColor() const;

signals:
    // The cell (row, column index) was pressed again; `text` is its text.
    void BeginLabelEdit(int row, int column, const QString& text);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int FocusedRow() const;
    bool IsOnLabel(const QModelIndex& index, const QPoint& point) const;

    int m_currentColumn = -1;
    bool m_pressIgnored = false;
    bool m_gridLines = false;
};
