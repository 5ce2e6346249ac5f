#pragma once

#include "app/ListView.h"

#include <QAction>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTreeWidget>

// Reads a CSV report back as a spreadsheet program would: the byte-order
// mark, quoted fields with doubled quotes, commas and line breaks inside.
// Without the mark nothing is read.
inline QList<QStringList> CsvRows(const QByteArray& bytes)
{
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        return {};
    const QString text = QString::fromUtf8(bytes.mid(3));
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"')
            field += text[++i];
        else if (c == '"')
            quoted = !quoted;
        else if (!quoted && c == ',')
            row << std::exchange(field, {});
        else if (!quoted && c == '\n') {
            row << std::exchange(field, {});
            rows << std::exchange(row, {});
        } else if (quoted || c != '\r')
            field += c;
    }
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

// The rows of a list as shown, in the given columns.
inline QList<QStringList> ShownRows(const QTreeWidget* list, const QList<int>& columns)
{
    QList<QStringList> rows;
    for (int row = 0; row < RowCount(list); ++row) {
        QStringList cells;
        for (const int column : columns)
            cells << RowText(list, row, column).trimmed();
        rows << cells;
    }
    return rows;
}
