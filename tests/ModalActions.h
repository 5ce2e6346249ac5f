// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/TemplateLoader.h"
#include "params/ParamReviewDlg.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QObject>
#include <QVariant>

#include <deque>
#include <functional>

// Acts on the modal dialogs a page opens, in order, as a technician would:
// each queued action gets the next dialog once it is shown.
class CModalActions : public QObject
{
public:
    using Action = std::function<void(QWidget* dialog)>;

    CModalActions() { m_timer = startTimer(5); }
    void Queue(Action action) { m_actions.push_back(std::move(action)); }
    int Pending() const { return static_cast<int>(m_actions.size()); }
    // Forgets the actions no dialog has taken.
    void DropPending() { m_actions.clear(); }

protected:
    void timerEvent(QTimerEvent*) override
    {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->property("handled").toBool() || m_actions.empty())
            return;
        dialog->setProperty("handled", true);
        const Action action = m_actions.front();
        m_actions.pop_front();
        action(dialog);
    }

private:
    int m_timer = 0;
    std::deque<Action> m_actions;
};

inline void PressCancel(QWidget* dialog)
{
    Control<QAbstractButton>(dialog, 2)->click();
}

// Types text into the value entry dialog and presses OK; when the dialog
// refuses the text and stays open, presses Cancel.
inline CModalActions::Action EnterValue(const QString& text)
{
    return [text](QWidget* dialog) {
        Control<QLineEdit>(dialog, 1001)->setText(text);
        Control<QAbstractButton>(dialog, 1)->click();
        if (dialog->isVisible())
            PressCancel(dialog);
    };
}

// Presses a button of the parameter file's review by its object name.
inline CModalActions::Action PressReviewButton(const char* name)
{
    return [name](QWidget* dialog) { dialog->findChild<QAbstractButton*>(name)->click(); };
}

// Chooses the import that writes the whole file as it stands.
inline const CModalActions::Action WriteWholeFile = PressReviewButton(CParamReviewDlg::kWriteAllName);
