// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QWidget;

// Drops the clicks, wheel turns and key presses meant for the program's
// windows while an exchange with the controller runs (g_port.m_busy is 1).
// They are discarded, not queued: nothing clicked during a long read acts
// after it. The windows keep painting. Escape stops the operation at its next
// exchange boundary. Served all the same: message boxes (a question or a
// failure shown in the middle of an operation) and the widgets marked to stay
// live (the traffic window, an operation's 取消); window closing and shortcuts
// are not input to a widget and pass.
class CInputGuard : public QObject
{
    Q_OBJECT
public:
    // Watches every event of the application from now on; once is enough.
    static void Install();
    // Input to widget (and its children) is served during exchanges.
    static void KeepLive(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
