// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/InputGuard.h"

#include "link/Cancel.h"
#include "link/PortChannel.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
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

// Message boxes, and the widgets marked to stay live (the traffic window, the
// operation's own 取消) with all they hold.
bool IsServedDuringExchanges(const QWidget* widget)
{
    if (qobject_cast<const QMessageBox*>(widget->window()))
        return true;
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (w->property(kLiveProperty).toBool())
            return true;
    return false;
}

bool IsEscapePress(const QEvent* event)
{
    return event->type() == QEvent::KeyPress && static_cast<const QKeyEvent*>(event)->key() == Qt::Key_Escape;
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

void CInputGuard::KeepLive(QWidget* widget)
{
    widget->setProperty(kLiveProperty, true);
}

bool CInputGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (!IsUserInput(event->type()) || !g_port.m_busy.load() || !watched->isWidgetType()
        || IsServedDuringExchanges(static_cast<QWidget*>(watched)))
        return false;
    if (IsEscapePress(event))
        CCancel::Request(); // Escape stops the operation, like its 取消
    return true;
}
