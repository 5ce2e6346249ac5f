#pragma once

#include <QBasicTimer>
#include <QWidget>

class CDataExchange;

// A page of the main dialog's tab control, built from its dialog template.
// The tab control calls OnSetFocus/OnKillFocus when it shows or hides the page,
// and a page calls GiveFocus() where it gives itself the focus; Qt's own focus
// changes and window activation never call them. The main dialog calls
// OnReplyReady() directly when a frame for the page is in g_reply.
class CPage : public QWidget {
    Q_OBJECT
public:
    explicit CPage(int templateId, QWidget* parent = nullptr);

    virtual void OnSetFocus() {}
    virtual void OnKillFocus() {}
    virtual void OnReplyReady() {}
    virtual void OnTimer1() {}
    // The port's device went away (false) or is back (true).
    virtual void OnLineChanged(bool /*up*/) {}

    // Gives the page the keyboard focus and runs OnSetFocus().
    void GiveFocus();

    // Starts (or restarts) timer 1 with period `ms`.
    void SetTimer1(int ms);
    void KillTimer1();
    bool IsTimer1Active() const;

    // Moves the fields bound in DoDataExchange into the controls (false) or
    // back and validates them (true); false when a value was refused.
    bool UpdateData(bool saveAndValidate);

protected:
    virtual void DoDataExchange(CDataExchange& dx);
    void timerEvent(QTimerEvent* event) override;

private:
    QBasicTimer m_timer1;
};
