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
