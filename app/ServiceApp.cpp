#include "app/ServiceApp.h"

#include "app/InputGuard.h"
#include "app/MainDlg.h"
#include "app/MessageBox.h"
#include "link/LinkHooks.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <poll.h>
#include <thread>

namespace {

QPointer<QWidget> g_mainWindow;

const char kPortErrorCaption[] = "Application Error";

void ShowPortError(const QString& text)
{
    VelorMessageBox(text, MB_OK | MB_ICONERROR, kPortErrorCaption);
}

// A local event loop: paint and window system events, timers and
// cross-thread calls are served meanwhile; input meant for the pages is
// dropped by the input guard while the exchange holds the port.
void WaitPainting(int ms)
{
    QElapsedTimer clock;
    clock.start();
    for (qint64 left = ms; left > 0; left = ms - clock.elapsed()) {
        QEventLoop loop;
        QTimer::singleShot(std::chrono::milliseconds(left), Qt::PreciseTimer, &loop, &QEventLoop::quit);
        if (loop.exec() < 0) // the application is quitting
            std::this_thread::sleep_for(std::chrono::milliseconds(left));
    }
}

// The same loop, ended early by the first data on fd.
void WaitReadablePainting(int fd, int ms)
{
    QEventLoop loop;
    QSocketNotifier data(fd, QSocketNotifier::Read);
    QObject::connect(&data, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    QTimer::singleShot(std::chrono::milliseconds(ms), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    if (loop.exec() < 0) { // the application is quitting
        pollfd readable{fd, POLLIN, 0};
        poll(&readable, 1, ms);
    }
}

} // namespace

QWidget* CServiceApp::MainWindow()
{
    return g_mainWindow.data();
}

void CServiceApp::SetMainWindow(QWidget* window)
{
    g_mainWindow = window;
}

void CServiceApp::CloseMainWindow()
{
    // Posted, so a close asked for while the main dialog is still initialising
    // takes effect as soon as it runs.
    if (QWidget* window = MainWindow())
        QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
}

void CServiceApp::InstallLinkHooks()
{
    CLinkHooks::SetErrorHandler(ShowPortError);
    CLinkHooks::SetWaitHandler(WaitPainting);
    CLinkHooks::SetReadableWaitHandler(WaitReadablePainting);
    CInputGuard::Install();
}

int CServiceApp::Run()
{
    CMainDlg dialog;
    SetMainWindow(&dialog);
    dialog.OnInitDialog();
    dialog.exec();
    SetMainWindow(nullptr);
    return 0;
}
