#include "app/Page.h"

#include "app/DataExchange.h"
#include "app/TemplateLoader.h"
#include "link/PortChannel.h"
#include "link/TimeScale.h"

#include <QTimerEvent>

CPage::CPage(int templateId, QWidget* parent) : QWidget(parent)
{
    CTemplateLoader::Load(templateId, this);
    setFocusPolicy(Qt::StrongFocus);
}

void CPage::GiveFocus()
{
    setFocus(Qt::OtherFocusReason);
    OnSetFocus();
}

void CPage::SetTimer1(int ms)
{
    m_timer1.start(CTimeScale::Ms(ms), this);
}

void CPage::KillTimer1()
{
    m_timer1.stop();
}

bool CPage::IsTimer1Active() const
{
    return m_timer1.isActive();
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
