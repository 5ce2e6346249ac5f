// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QString>
#include <QTreeWidget>

// Helpers for the report-style list views of the pages and dialogs: columns
// with a header, one item per row, each row keyed by its item data (floor,
// parameter number, fault code) kept on column 0 under Qt::UserRole.

// Background and text background of every list view.
inline const QColor kListViewBackground{240, 247, 233};

// Report style: header shown, no tree decoration, full-row selection, columns
// keep their widths, the list's colours.
void SetupReportView(QTreeWidget* list);

// Adds a column at `column` with its header text, width in pixels and the
// alignment of its header and of the cells of rows inserted afterwards. Columns
// are set up before rows are inserted.
void InsertColumn(QTreeWidget* list, int column, const QString& header, int width,
                  Qt::Alignment alignment = Qt::AlignLeft);

// Inserts a row at `row` (appended when past the end) with `text` in column 0
// and its item data; returns the row's index.
int InsertRow(QTreeWidget* list, int row, const QString& text, int itemData);
void SetRowText(QTreeWidget* list, int row, int column, const QString& text);
QString RowText(const QTreeWidget* list, int row, int column);

void SetRowItemData(QTreeWidget* list, int row, int itemData);
// The row's item data, or -1 for a row that does not exist.
int RowItemData(const QTreeWidget* list, int row);
// The first row whose item data is `itemData`, or -1.
int FindRowByItemData(const QTreeWidget* list, int itemData);

int RowCount(const QTreeWidget* list);
void DeleteAllRows(QTreeWidget* list);
// The row under the current selection (the current row), or -1.
int SelectedRow(const QTreeWidget* list);
