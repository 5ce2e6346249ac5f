#include "app/ServiceApp.h"

#include "app/MainDlg.h"

#include <QPointer>
#include <QWidget>

namespace {

QPointer<QWidget> g_mainWindow;

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

int CServiceApp::Run()
{
    CMainDlg dialog;
    SetMainWindow(&dialog);
    dialog.OnInitDialog();
    dialog.exec();
    SetMainWindow(nullptr);
    return 0;
}
