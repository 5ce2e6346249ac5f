// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// The program's main window while it runs: dialogs that end the program (new
// serial settings take effect only after a restart) close it from here.
class CMainWindow
{
public:
    // The main window while the main dialog runs, else nullptr.
    static QWidget* Get();
    static void Set(QWidget* window);
    // Asks the main window to close (as a posted close request), which ends the program.
    static void Close();
};
