// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "params/ParamFile.h"

#include <QString>

#include <functional>

class QWidget;

// What a parameter page asks of the file dialog.
struct ParamFileQuestion
{
    bool save;        // the save dialog; otherwise the open dialog
    QString baseName; // the filter's name ("电梯参数", "门机参数")
    QString suffix;   // the files' suffix: "F", or "csv" for a report
    QString folder;   // the folder the dialog opens in: the last one used
    QString fileName; // the name it proposes
};

// Answers a question with the chosen path; an empty path means Cancel.
using ParamFileChooser = std::function<QString(const ParamFileQuestion&)>;

// Shows the file dialog for ".F" parameter files (or the files of another
// suffix, such as a ".csv" report): filter "<baseName>(*.<suffix>)", default
// suffix, a question before an existing file is overwritten. It opens in the
// folder of the file chosen last (the home folder at first) and proposes
// "<baseName>-<date>.<suffix>" for saving, baseName for opening. Returns the
// chosen path, or an empty one for Cancel.
QString ChooseParamFile(QWidget* parent, bool save, const QString& baseName, const QString& suffix = "F");

// Asks for a parameter file to open and reads it; false after Cancel, or
// after telling the technician why the chosen file cannot be read. path, when
// given, is the file chosen.
bool OpenChosenParamFile(QWidget* parent, const QString& baseName, ParamFileContents& contents, QString* path = nullptr);

// Lets tests answer the file dialog; returns the previous chooser. An empty
// chooser restores the real dialog.
ParamFileChooser SetParamFileChooser(ParamFileChooser chooser);
