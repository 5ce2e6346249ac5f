// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/WaitCursor.h"
#include "link/BusyScope.h"

#include <QPointer>
#include <QString>

class CProgressStrip;
class QWidget;

// An operation of a page or dialog that takes more than a moment (a full
// read, an import, the fault log, the shaft data, the floor lockout times):
// the port is held and the wait cursor shown for its whole chain of
// exchanges, and its progress stands over the bottom of host until it ends.
// A stoppable operation's strip has a 取消: it, or Escape, stops the
// operation at the next exchange boundary. One that cannot be stopped
// part-way (a reset, a single write) shows no 取消 and Escape does nothing.
// Closing the program stops either kind.
class CPageOperation
{
public:
    enum class Stop { Allowed, NotAllowed };

    CPageOperation(QWidget* host, const QString& what, int total, Stop stop = Stop::Allowed);
    ~CPageOperation();
    CPageOperation(const CPageOperation&) = delete;
    CPageOperation& operator=(const CPageOperation&) = delete;

    // done of the total steps are done; the total once it is known.
    void SetDone(int done);
    void SetTotal(int total);
    // The technician stopped the operation (or the window is closing).
    bool Cancelled() const;

private:
    CBusyScope m_busy;
    bool m_stoppable;
    CWaitCursor m_wait;
    QPointer<CProgressStrip> m_strip;
};

// What a read the technician stopped says once the port is released: how far
// it got, and that 刷新 goes on from there (or, for a page that reads
// everything on each focus, that the next focus reads it again).
QString StoppedReadMessage(const QString& what, int done, int total, bool continuesOnRefresh);
