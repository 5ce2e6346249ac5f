// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/CsvReport.h"

#include "ui/MessageBox.h"
#include "params/ParamFileDialog.h"
#include "params/WholeFile.h"

#include <QAbstractItemView>
#include <QAction>
#include <QRegularExpression>

namespace {

QString CsvField(QString text)
{
    if (!text.contains(QRegularExpression("[\",\r\n]")))
        return text;
    return '"' + text.replace('"', "\"\"") + '"';
}

} // namespace

QByteArray CsvBytes(const QList<QStringList>& rows)
{
    QString text;
    for (const QStringList& row : rows) {
        QStringList fields;
        for (const QString& field : row)
            fields << CsvField(field);
        text += fields.join(',') + "\r\n";
    }
    return "\xEF\xBB\xBF" + text.toUtf8();
}

void ExportCsv(QWidget* parent, const QString& baseName, const QList<QStringList>& rows)
{
    if (rows.size() < 2) {
        VelorMessageBox("列表是空的，没有可导出的内容。", MB_OK | MB_ICONINFORMATION);
        return;
    }
    const QString path = ChooseParamFile(parent, true, baseName, "csv");
    QString error;
    if (!path.isEmpty() && !WriteWholeFile(path, CsvBytes(rows), "导出文件", error))
        VelorMessageBox(error, MB_ICONERROR);
}

void AddExportAction(QAbstractItemView* list, std::function<void()> export_)
{
    auto* action = new QAction("导出(&E)...", list);
    QObject::connect(action, &QAction::triggered, list, std::move(export_));
    list->addAction(action);
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
}
