// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ServiceApp.h"

#include "ui/InputGuard.h"
#include "app/MainDlg.h"
#include "ui/MainWindow.h"
#include "ui/MessageBox.h"
#include "link/LinkHooks.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <poll.h>
#include <thread>

namespace {

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
    CMainWindow::Set(&dialog);
    dialog.OnInitDialog();
    dialog.exec();
    CMainWindow::Set(nullptr);
    return 0;
}
