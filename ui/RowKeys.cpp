// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/RowKeys.h"

#include <QAbstractItemView>
#include <QKeyEvent>

CRowKeys::CRowKeys(QAbstractItemView* list, std::function<void()> action)
    : QObject(list)
    , m_action(std::move(action))
{
    list->installEventFilter(this);
}

bool CRowKeys::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & ~Qt::KeypadModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
        m_action();
        return true;
    default:
        return false;
    }
}
