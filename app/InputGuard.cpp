#include "app/InputGuard.h"

#include "link/PortChannel.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QWidget>

namespace {

constexpr const char* kLiveProperty = "velorLiveDuringExchanges";

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        return true;
    default:
        return false;
    }
}

bool IsServedDuringExchanges(const QWidget* widget)
{
    const QWidget* window = widget->window();
    return qobject_cast<const QMessageBox*>(window) || window->property(kLiveProperty).toBool();
}

} // namespace

void CInputGuard::Install()
{
    static CInputGuard* guard = nullptr;
    if (guard || !qApp)
        return;
    guard = new CInputGuard;
    guard->setParent(qApp);
    qApp->installEventFilter(guard);
}

void CInputGuard::KeepLive(QWidget* window)
{
    window->setProperty(kLiveProperty, true);
}

bool CInputGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (!IsUserInput(event->type()) || !g_port.m_busy.load() || !watched->isWidgetType())
        return false;
    return !IsServedDuringExchanges(static_cast<QWidget*>(watched));
}
