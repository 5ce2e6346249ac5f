#include "link/LinkHooks.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>
#include <thread>

namespace {

CLinkHooks::ErrorHandler g_errorHandler;
CLinkHooks::WaitHandler g_waitHandler;

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

bool CLinkHooks::OnUserInterfaceThread()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void CLinkHooks::ReportError(const QString& text)
{
    if (OnUserInterfaceThread())
        ShowError(text);
    else if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [text] { ShowError(text); }, Qt::QueuedConnection);
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
