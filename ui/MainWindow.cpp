// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/MainWindow.h"

#include <QMetaObject>
#include <QPointer>
#include <QWidget>

namespace {

QPointer<QWidget> g_mainWindow;

} // namespace

QWidget* CMainWindow::Get()
{
    return g_mainWindow.data();
}

void CMainWindow::Set(QWidget* window)
{
    g_mainWindow = window;
}

void CMainWindow::Close()
{
    // Posted, so a close asked for while the main dialog is still initialising
    // takes effect as soon as it runs.
    if (QWidget* window = Get())
        QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
}
