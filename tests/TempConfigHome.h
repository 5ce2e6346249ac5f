// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTemporaryDir>
#include <QtGlobal>

// Points XDG_CONFIG_HOME (or another folder variable, e.g. XDG_DATA_HOME) at a
// fresh folder for the life of a test, so settings, port links and log files
// never touch the user's own.
class CTempConfigHome
{
public:
    explicit CTempConfigHome(const char* variable = "XDG_CONFIG_HOME")
        : m_variable(variable)
        , m_previous(qgetenv(variable))
        , m_hadPrevious(qEnvironmentVariableIsSet(variable))
    {
        qputenv(m_variable, m_dir.path().toLocal8Bit());
    }
    ~CTempConfigHome()
    {
        if (m_hadPrevious)
            qputenv(m_variable, m_previous);
        else
            qunsetenv(m_variable);
    }
    QString Path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    const char* m_variable;
    QByteArray m_previous;
    bool m_hadPrevious;
};
