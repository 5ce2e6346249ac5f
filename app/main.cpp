// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ServiceApp.h"
#include "res/Resources.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // The desktop entry velor.desktop, by which Wayland desktops find the icon.
    QGuiApplication::setDesktopFileName("velor");
    // Qt's own texts (the message box's details button, standard dialogs) in
    // Chinese, like the rest of the user interface.
    QTranslator qtTexts;
    if (qtTexts.load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        application.installTranslator(&qtTexts);
    InitVelorResources();
    CServiceApp::InstallLinkHooks();
    CServiceApp app;
    return app.Run();
}
