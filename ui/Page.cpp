// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Page.h"

#include "ui/DataExchange.h"
#include "ui/TemplateLoader.h"
#include "link/Cancel.h"
#include "link/PortChannel.h"
#include "link/TimeScale.h"

#include <QHeaderView>
#include <QTimerEvent>
#include <QTreeView>

CPage::CPage(int templateId, QWidget* parent) : QWidget(parent)
{
    CTemplateLoader::Load(templateId, this);
    setFocusPolicy(Qt::StrongFocus);
}

// A page that gives itself the focus after an operation (to read again)
// does not start that read once the program is closing.
void CPage::GiveFocus()
{
    if (CCancel::Closing())
        return;
    setFocus(Qt::OtherFocusReason);
    OnSetFocus();
}

void CPage::SetTimer1(int ms)
{
    // A live page's next poll goes out when the timer fires, answered or not:
    // its period is the time a reply is given.
    m_timer1.start(CTimeScale::ReplyMs(ms), this);
}

void CPage::KillTimer1()
{
    m_timer1.stop();
}

bool CPage::IsTimer1Active() const
{
    return m_timer1.isActive();
}

void CPage::TakeTemplatePlaces()
{
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (IsTemplateControl(control)) // not the find bar or a progress strip the page made
            m_places.push_back({control, control->geometry()});
    m_listPlace = m_growingList->geometry();
    const int columns = m_growingList->header()->count();
    m_lastColumnWidth = columns > 0 ? m_growingList->header()->sectionSize(columns - 1) : 0;
}

QRect CPage::GrownPlace(const QRect& place, QSize growth) const
{
    if (place == m_listPlace)
        return place.adjusted(0, 0, growth.width(), growth.height());
    const int right = place.left() > m_listPlace.right() ? growth.width() : 0;
    const int down = place.top() > m_listPlace.bottom() ? growth.height() : 0;
    return place.translated(right, down);
}

void CPage::SetGrowth(QSize growth)
{
    if (!m_growingList)
        return;
    if (m_places.empty())
        TakeTemplatePlaces();
    for (const TemplatePlace& place : m_places)
        if (place.control)
            place.control->setGeometry(GrownPlace(place.rect, growth));
    if (m_lastColumnWidth > 0)
        m_growingList->header()->resizeSection(m_growingList->header()->count() - 1, m_lastColumnWidth + growth.width());
}

bool CPage::UpdateData(bool saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

void CPage::DoDataExchange(CDataExchange&)
{
}

void CPage::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_timer1.timerId()) {
        // A tick that falls into an exchange (which keeps the window painting
        // while it waits) is skipped.
        if (!g_port.m_busy.load())
            OnTimer1();
    } else
        QWidget::timerEvent(event);
}
