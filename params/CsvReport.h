// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QAbstractItemView;
class QWidget;

// A list's rows as a CSV report for a commissioning record: UTF-8 with a
// byte-order mark, so spreadsheet programs read the Chinese texts; a field
// with a comma, a quote or a line break is quoted (quotes doubled); lines end
// with CR LF. The first row is the header.
QByteArray CsvBytes(const QList<QStringList>& rows);

// The export a list's context menu offers: asks for a ".csv" file through the
// parameter file dialog (proposing "<baseName>-<date>.csv"), writes the rows
// there whole or not at all, and says why when it cannot. A header without
// rows is not exported: the list has not been read.
void ExportCsv(QWidget* parent, const QString& baseName, const QList<QStringList>& rows);

// Adds "导出..." to the list's context menu, running export.
void AddExportAction(QAbstractItemView* list, std::function<void()> export_);
