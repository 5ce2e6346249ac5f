// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/Page.h"

#include <vector>

class QLabel;

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

    // What the live controls show is old: the controller has not answered for
    // more than a second, or the port's device is away. They are drawn greyed,
    // with a notice over them that says why; every tick looks again, so the
    // first reply makes them live at the next tick.
    bool IsShowingOld() const { return m_showingOld; }
    QLabel* OldNotice() const { return m_oldNotice; }
    static constexpr const char* kSilentNotice = "无应答";
    static constexpr const char* kUnpluggedNotice = "串口已断开";

protected:
    // One tick of timer 1 on the shown page.
    virtual void OnPoll() = 0;
    // The controls that show what the controller said (texts, lamps, arrow).
    void SetLiveControls(std::vector<QWidget*> controls);

private:
    void ShowOld(const QString& notice);

    std::vector<QWidget*> m_liveControls;
    QLabel* m_oldNotice;
    bool m_showingOld = false;
};
