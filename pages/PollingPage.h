#pragma once

#include "ui/Page.h"

// A page that polls the controller while it is the shown page: timer 1 runs
// from the moment the page gets the focus until it loses it. A tick polls only
// while the page is the tab control's current page, so a timer left running
// on a hidden page sends nothing. (Ticks that fall into a synchronous exchange
// never reach the page at all.)
class CPollingPage : public CPage
{
    Q_OBJECT
public:
    static constexpr int kPollPeriodMs = 100;

    CPollingPage(int templateId, QWidget* parent);

    void OnSetFocus() override;
    void OnKillFocus() override;
    // Ticks while the port's device is away send nothing.
    void OnTimer1() final;

protected:
    // One tick of timer 1 on the shown page.
    virtual void OnPoll() = 0;
};
