#include "params/ParamFileDialog.h"

#include <QFileDialog>

namespace {

ParamFileChooser g_chooser;

QString RunFileDialog(QWidget* parent, const ParamFileQuestion& question)
{
    QFileDialog dialog(parent, QString(), QString(), QString("%1(*.F)").arg(question.baseName));
    dialog.setAcceptMode(question.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(question.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix("F");
    dialog.selectFile(question.baseName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString ChooseParamFile(QWidget* parent, const ParamFileQuestion& question)
{
    return g_chooser ? g_chooser(question) : RunFileDialog(parent, question);
}

ParamFileChooser SetParamFileChooser(ParamFileChooser chooser)
{
    return std::exchange(g_chooser, std::move(chooser));
}
