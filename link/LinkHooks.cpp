// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LinkHooks.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>
#include <mutex>
#include <poll.h>
#include <thread>

namespace {

CLinkHooks::ErrorHandler g_errorHandler;
// Held while a message from another thread is posted, and taken by the posted
// call first: shows a race checker the hand-over that Qt's event queue makes
// through locks it cannot see.
std::mutex g_posting;
CLinkHooks::WaitHandler g_waitHandler;
CLinkHooks::ReadableWaitHandler g_readableWaitHandler;

void ShowError(const QString& text)
{
    if (g_errorHandler)
        g_errorHandler(text);
    else
        qWarning("%s", qUtf8Printable(text));
}

void Sleep(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace

CLinkHooks::ErrorHandler CLinkHooks::SetErrorHandler(ErrorHandler handler)
{
    return std::exchange(g_errorHandler, std::move(handler));
}

CLinkHooks::WaitHandler CLinkHooks::SetWaitHandler(WaitHandler handler)
{
    return std::exchange(g_waitHandler, std::move(handler));
}

CLinkHooks::ReadableWaitHandler CLinkHooks::SetReadableWaitHandler(ReadableWaitHandler handler)
{
    return std::exchange(g_readableWaitHandler, std::move(handler));
}

bool CLinkHooks::OnUserInterfaceThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void CLinkHooks::ReportError(const QString& text)
{
    if (OnUserInterfaceThread())
        ShowError(text);
    else if (QCoreApplication* app = QCoreApplication::instance()) {
        const std::lock_guard posting(g_posting);
        QMetaObject::invokeMethod(
            app,
            [text] {
                { const std::lock_guard posted(g_posting); }
                ShowError(text);
            },
            Qt::QueuedConnection);
    }
    else
        qWarning("%s", qUtf8Printable(text));
}

void CLinkHooks::Wait(int ms)
{
    if (ms <= 0)
        return;
    if (OnUserInterfaceThread() && g_waitHandler)
        g_waitHandler(ms);
    else
        Sleep(ms);
}

void CLinkHooks::WaitReadable(int fd, int ms)
{
    if (ms <= 0)
        return;
    if (OnUserInterfaceThread() && g_readableWaitHandler) {
        g_readableWaitHandler(fd, ms);
        return;
    }
    pollfd readable{fd, POLLIN, 0};
    poll(&readable, 1, ms);
}
