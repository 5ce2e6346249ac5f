#include "pages/PollingPage.h"

#include "link/PortChannel.h"

CPollingPage::CPollingPage(int templateId, QWidget* parent)
    : CPage(templateId, parent)
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
    if (IsCurrentPage() && (g_port.IsLineUp() || !g_port.IsOpen()))
        OnPoll();
}
