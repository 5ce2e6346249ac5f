#include "app/Page.h"

#include "app/DataExchange.h"
#include "app/TemplateLoader.h"
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

void CPage::TakeTemplatePlaces()
{
    int lists = 0;
    for (QWidget* control : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!IsTemplateControl(control))
            continue; // made by the page, not the template: the find bar, the progress strip
        const auto* list = qobject_cast<QTreeView*>(control);
        const int columns = list ? list->header()->count() : 0;
        if (list) {
            m_list = static_cast<int>(m_places.size());
            ++lists;
        }
        m_places.push_back({control, control->geometry(), columns ? list->header()->sectionSize(columns - 1) : 0});
    }
    if (lists != 1)
        m_list = -1;
}

QRect CPage::GrownPlace(const TemplatePlace& place, const QRect& list, QSize growth) const
{
    if (place.rect == list)
        return place.rect.adjusted(0, 0, growth.width(), growth.height());
    const int right = place.rect.left() > list.right() ? growth.width() : 0;
    const int down = place.rect.top() > list.bottom() ? growth.height() : 0;
    return place.rect.translated(right, down);
}

void CPage::SetGrowth(QSize growth)
{
    if (m_places.empty())
        TakeTemplatePlaces();
    if (m_list < 0)
        return;
    const QRect list = m_places[m_list].rect;
    for (const TemplatePlace& place : m_places) {
        if (!place.control)
            continue;
        place.control->setGeometry(GrownPlace(place, list, growth));
        auto* view = qobject_cast<QTreeView*>(place.control.data());
        if (view && view->header()->count() > 0)
            view->header()->resizeSection(view->header()->count() - 1, place.lastColumnWidth + growth.width());
    }
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
