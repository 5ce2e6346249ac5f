// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// The application object: runs the main dialog modally; the program ends when
// it closes.
class CServiceApp
{
public:
    int Run();

    // Lets the port channel show its errors in a message box and keeps the
    // windows painting while an exchange waits; the program and the widget
    // tests install them once at start.
    static void InstallLinkHooks();
};
