// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/ParamFileDialog.h"

#include "ui/MessageBox.h"

#include <QDate>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

ParamFileChooser g_chooser;
QString g_lastFolder; // for this run of the program

QString RunFileDialog(QWidget* parent, const ParamFileQuestion& question)
{
    QFileDialog dialog(parent, QString(), question.folder, QString("%1(*.%2)").arg(question.baseName, question.suffix));
    dialog.setAcceptMode(question.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(question.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(question.suffix);
    dialog.selectFile(question.fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString ChooseParamFile(QWidget* parent, bool save, const QString& baseName, const QString& suffix)
{
    const ParamFileQuestion question{
        .save = save,
        .baseName = baseName,
        .suffix = suffix,
        .folder = g_lastFolder.isEmpty() ? QDir::homePath() : g_lastFolder,
        .fileName = save ? QString("%1-%2.%3").arg(baseName, QDate::currentDate().toString(Qt::ISODate), suffix) : baseName,
    };
    const QString path = g_chooser ? g_chooser(question) : RunFileDialog(parent, question);
    if (!path.isEmpty())
        g_lastFolder = QFileInfo(path).absolutePath();
    return path;
}

ParamFileChooser SetParamFileChooser(ParamFileChooser chooser)
{
    return std::exchange(g_chooser, std::move(chooser));
}

bool OpenChosenParamFile(QWidget* parent, const QString& baseName, ParamFileContents& contents, QString* path)
{
    const QString chosen = ChooseParamFile(parent, false, baseName);
    if (chosen.isEmpty())
        return false;
    QString error;
    if (!CParamFile::Load(chosen, contents, error)) {
        VelorMessageBox(error, MB_ICONERROR);
        return false;
    }
    if (path)
        *path = chosen;
    return true;
}
