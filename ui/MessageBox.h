// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

// Message box flags: buttons (low nibble), icon, default button.
constexpr int MB_OK = 0x0;
constexpr int MB_OKCANCEL = 0x1;
constexpr int MB_ABORTRETRYIGNORE = 0x2;
constexpr int MB_YESNOCANCEL = 0x3;
constexpr int MB_YESNO = 0x4;
constexpr int MB_RETRYCANCEL = 0x5;
constexpr int MB_ICONERROR = 0x10;
constexpr int MB_ICONQUESTION = 0x20;
constexpr int MB_ICONWARNING = 0x30;
constexpr int MB_ICONINFORMATION = 0x40;
constexpr int MB_DEFBUTTON2 = 0x100;
constexpr int MB_DEFBUTTON3 = 0x200;

// The button that closed a message box.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// The caption of a message box shown without one.
inline const QString kMessageBoxCaption = QStringLiteral("VELOR");

// One message box as it was asked for.
struct MessageBoxCall {
    QString text;
    QString caption;  // the caption shown ("VELOR" when none was given)
    int flags = MB_OK;
    QString details;  // detailed text behind the box's details button
};

using MessageBoxHandler = std::function<int(const MessageBoxCall&)>;

// Shows a modal message box and returns the ID* of the button that closed it.
// Every message box of the program goes through here. While the program
// closes no box is shown (see CCancel::Closing).
int VelorMessageBox(const QString& text, int flags = MB_OK, const QString& caption = {},
                    const QString& details = {});

// Replaces how message boxes are shown (tests record them and answer without a
// screen); an empty handler restores the real box. Returns the previous handler.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// Asks before a command that changes or moves something in the controller:
// a yes/no question whose default button is No. True only for Yes.
bool AskFirst(const QString& question);
