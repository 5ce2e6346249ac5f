#pragma once

#include <QString>

#include <functional>

class QWidget;

// What a parameter page asks of the file dialog.
struct ParamFileQuestion
{
    bool save;        // the save dialog; otherwise the open dialog
    QString baseName; // initial file name and the filter's name ("电梯参数", "门机参数")
};

// Answers a question with the chosen path; an empty path means Cancel.
using ParamFileChooser = std::function<QString(const ParamFileQuestion&)>;

// Shows the file dialog for ".F" parameter files: filter "<baseName>(*.F)",
// initial name baseName, default suffix F, a question before an existing file
// is overwritten. Returns the chosen path, or an empty one for Cancel.
QString ChooseParamFile(QWidget* parent, const ParamFileQuestion& question);

// Lets tests answer the file dialog; returns the previous chooser. An empty
// chooser restores the real dialog.
ParamFileChooser SetParamFileChooser(ParamFileChooser chooser);
