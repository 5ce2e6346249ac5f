// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/ListView.h"

#include <QAction>
#include <QFile>
#include <QTreeWidget>

// Reads a CSV report back as a spreadsheet program does: the byte-order mark
// first (nothing without it), quoted fields with doubled quotes, commas and
// line breaks inside, CR LF between rows.
inline QList<QStringList> CsvRows(const QByteArray& bytes)
{
    QList<QStringList> rows(bytes.startsWith("\xEF\xBB\xBF") ? 1 : 0, QStringList{""});
    const QString text = QString::fromUtf8(bytes.mid(3));
    bool quoted = false;
    for (qsizetype i = 0; i < text.size() && !rows.isEmpty(); ++i) {
        if (quoted && text.mid(i, 2) == "\"\"")
            rows.last().last() += text[i++];
        else if (text[i] == '"')
            quoted = !quoted;
        else if (!quoted && text.mid(i, 2) == "\r\n") {
            rows << QStringList{""};
            ++i;
        } else if (!quoted && text[i] == ',')
            rows.last() << "";
        else
            rows.last().last() += text[i];
    }
    if (!rows.isEmpty())
        rows.removeLast(); // begun by the last line end
    return rows;
}

inline QList<QStringList> CsvFileRows(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? CsvRows(file.readAll()) : QList<QStringList>{};
}

// Runs 导出 from the list's context menu.
inline void TriggerExport(QTreeWidget* list)
{
    for (QAction* action : list->actions())
        if (action->text().startsWith("导出"))
            action->trigger();
}

// The rows the list shows (not those a find bar hides), in the given columns.
inline QList<QStringList> ShownRows(const QTreeWidget* list, const QList<int>& columns)
{
    QList<QStringList> rows;
    for (int row = 0; row < RowCount(list); ++row)
        if (!list->topLevelItem(row)->isHidden())
            for (rows << QStringList(); const int column : columns)
                rows.last() << RowText(list, row, column).trimmed();
    return rows;
}
