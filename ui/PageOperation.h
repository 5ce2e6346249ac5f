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
// exchanges, and its progress stands over the bottom of host with a 取消
// button until it ends. Escape or 取消 stop it at the next exchange boundary.
class CPageOperation
{
public:
    CPageOperation(QWidget* host, const QString& what, int total);
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
    CWaitCursor m_wait;
    QPointer<CProgressStrip> m_strip;
};
