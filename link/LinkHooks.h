// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

// How link/ reaches the application without knowing it: the application
// installs a handler that shows the port's error messages and a wait that
// keeps its windows painting while an exchange or a read waits on the
// user-interface thread. Without them, errors go to the log and waits sleep.
class CLinkHooks
{
public:
    using ErrorHandler = std::function<void(const QString& text)>;
    using WaitHandler = std::function<void(int ms)>;
    // Waits up to ms milliseconds for fd to become readable.
    using ReadableWaitHandler = std::function<void(int fd, int ms)>;

    // Each returns the handler it replaces; an empty one restores the default.
    static ErrorHandler SetErrorHandler(ErrorHandler handler);
    static WaitHandler SetWaitHandler(WaitHandler handler);
    static ReadableWaitHandler SetReadableWaitHandler(ReadableWaitHandler handler);

    // Shows text through the error handler on the user-interface thread; from
    // another thread the call is posted there.
    static void ReportError(const QString& text);
    // Waits ms milliseconds: through the wait handler on the user-interface
    // thread, as a plain sleep on any other thread.
    static void Wait(int ms);
    // Waits up to ms milliseconds for data on fd, returning as soon as there
    // is some: through its handler on the user-interface thread (the windows
    // keep painting), as a plain poll on any other thread.
    static void WaitReadable(int fd, int ms);

    static bool OnUserInterfaceThread();
};
