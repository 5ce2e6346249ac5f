// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/PageOperation.h"

#include "ui/ProgressStrip.h"
#include "link/Cancel.h"

CPageOperation::CPageOperation(QWidget* host, const QString& what, int total, Stop stop)
    : m_stoppable(stop == Stop::Allowed)
    , m_strip(new CProgressStrip(host, what, total, m_stoppable))
{
    if (m_stoppable)
        CCancel::StoppableBegins();
}

CPageOperation::~CPageOperation()
{
    if (m_stoppable)
        CCancel::StoppableEnds();
    delete m_strip.data();
}

void CPageOperation::SetDone(int done)
{
    if (m_strip)
        m_strip->SetDone(done);
}

void CPageOperation::SetTotal(int total)
{
    if (m_strip)
        m_strip->SetTotal(total);
}

bool CPageOperation::Cancelled() const
{
    return CCancel::Requested();
}

// A stop during the first exchange of a read (the probe) leaves a complete
// list of an earlier read as it was.
QString StoppedReadMessage(const QString& what, int done, int total, bool continuesOnRefresh)
{
    if (total > 0 && done >= total)
        return QString("%1已停止：列表仍是上次读出的内容。").arg(what);
    const QString progress = total > 0 ? QString("%1 / %2").arg(done).arg(total) : QString::number(done);
    return QString("%1已停止：已读出 %2。\n%3")
        .arg(what, progress,
             continuesOnRefresh ? QString("按“刷新”从停止处继续读取。") : QString("再次进入本页将重新读取。"));
}
