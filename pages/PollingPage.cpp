// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/PollingPage.h"

#include "link/LineState.h"
#include "link/PortChannel.h"

#include <QGraphicsColorizeEffect>
#include <QLabel>

namespace {

// The notice's look: large, dark red on a pale ground, framed.
constexpr const char* kNoticeStyle =
    "QLabel { color: #a00000; background: rgba(255, 250, 235, 230); border: 2px solid #a00000;"
    " border-radius: 4px; font-size: 20px; font-weight: bold; padding: 6px 14px; }";

// Why what the page shows is old; empty while it is live.
QString OldNoticeText()
{
    switch (CLineState::Current()) {
    case CLineState::State::Silent: return CPollingPage::kSilentNotice;
    case CLineState::State::Unplugged: return CPollingPage::kUnpluggedNotice;
    default: return {};
    }
}

} // namespace

CPollingPage::CPollingPage(int templateId, QWidget* parent)
    : CPage(templateId, parent)
    , m_oldNotice(new QLabel(this))
{
    m_oldNotice->setObjectName("oldNotice");
    m_oldNotice->setStyleSheet(kNoticeStyle);
    m_oldNotice->setAlignment(Qt::AlignCenter);
    m_oldNotice->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_oldNotice->hide();
}

void CPollingPage::SetLiveControls(std::vector<QWidget*> controls)
{
    m_liveControls = std::move(controls);
    for (QWidget* control : m_liveControls) {
        auto* grey = new QGraphicsColorizeEffect(control);
        grey->setColor(Qt::gray);
        grey->setEnabled(false);
        control->setGraphicsEffect(grey);
    }
}

// The notice stands in the middle of the live controls, wherever the page's
// growth has put them.
void CPollingPage::ShowOld(const QString& notice)
{
    const bool old = !notice.isEmpty();
    if (old) {
        QRect area;
        for (const QWidget* control : m_liveControls)
            area |= control->geometry();
        if (m_oldNotice->text() != notice) {
            m_oldNotice->setText(notice);
            m_oldNotice->adjustSize();
        }
        QRect place = m_oldNotice->rect();
        place.moveCenter(area.isValid() ? area.center() : rect().center());
        if (m_oldNotice->geometry() != place)
            m_oldNotice->setGeometry(place);
    }
    if (old == m_showingOld)
        return;
    m_showingOld = old;
    m_oldNotice->setVisible(old);
    m_oldNotice->raise();
    for (QWidget* control : m_liveControls)
        if (QGraphicsEffect* grey = control->graphicsEffect())
            grey->setEnabled(old);
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
    ShowOld(OldNoticeText());
    if (IsCurrentPage() && (g_port.IsLineUp() || !g_port.IsOpen()))
        OnPoll();
}
