// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QBasicTimer>
#include <QPointer>
#include <QWidget>

#include <vector>

class CDataExchange;
class QTreeView;

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

    // True while the tab control that holds the page shows it; a page outside
    // a tab control is never the current page.
    bool IsCurrentPage() const { return m_current; }
    void SetCurrentPage(bool current) { m_current = current; }

    // Gives the page the keyboard focus and runs OnSetFocus().
    void GiveFocus();

    // Starts (or restarts) timer 1 with period `ms`.
    void SetTimer1(int ms);
    void KillTimer1();
    bool IsTimer1Active() const;

    // Places the template's controls for a page that is `growth` larger than
    // at the main window's designed size: the page's growing list takes the
    // growth (its last column, the description, the width), what lies below
    // the list moves down with the page's bottom and what lies right of it
    // moves right. Without growth, and on a page without a growing list, every
    // control is in its template place.
    void SetGrowth(QSize growth);

    // Moves the fields bound in DoDataExchange into the controls (false) or
    // back and validates them (true); false when a value was refused.
    bool UpdateData(bool saveAndValidate);

protected:
    // The list that grows with the window (a template control of the page).
    void SetGrowingList(QTreeView* list) { m_growingList = list; }

    virtual void DoDataExchange(CDataExchange& dx);
    void timerEvent(QTimerEvent* event) override;

private:
    struct TemplatePlace
    {
        QPointer<QWidget> control;
        QRect rect;
    };
    void TakeTemplatePlaces();
    QRect GrownPlace(const QRect& place, QSize growth) const;

    QBasicTimer m_timer1;
    bool m_current = false;
    QTreeView* m_growingList = nullptr;
    // Taken at the first SetGrowth: the template's places and the growing
    // list's place and last column width.
    std::vector<TemplatePlace> m_places;
    QRect m_listPlace;
    int m_lastColumnWidth = 0;
};
