#include "pages/PollingPage.h"

#include "app/PageTab.h"
#include "link/PortChannel.h"

CPollingPage::CPollingPage(int templateId, int pageIndex, QWidget* parent)
    : CPage(templateId, parent)
    , m_pageIndex(pageIndex)
{
}

void CPollingPage::OnSetFocus()
{
    SetTimer1(kPollPeriodMs);
}

void CPollingPage::OnKillFocus()
{
    KillTimer1();
}

void CPollingPage::OnTimer1()
{
    if (IsShownPage() && (g_port.IsLineUp() || !g_port.IsOpen()))
        OnPoll();
}

bool CPollingPage::IsShownPage() const
{
    const auto* tab = qobject_cast<const CPageTab*>(parentWidget());
    return tab && tab->m_curPage == m_pageIndex;
}
