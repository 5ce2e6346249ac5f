// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "params/ParamFileDialog.h"

#include <QString>

#include <vector>

// Answers the file dialog with a fixed path and counts the questions.
class CFileChooser
{
public:
    explicit CFileChooser(QString path)
        : m_path(std::move(path))
        , m_previous(SetParamFileChooser([this](const ParamFileQuestion& question) {
            m_questions.push_back(question);
            return m_path;
        }))
    {
    }
    ~CFileChooser() { SetParamFileChooser(m_previous); }
    int Count() const { return static_cast<int>(m_questions.size()); }
    const ParamFileQuestion& Last() const { return m_questions.back(); }

private:
    QString m_path;
    ParamFileChooser m_previous;
    std::vector<ParamFileQuestion> m_questions;
};
