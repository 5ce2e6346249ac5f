// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Stops a running operation (a chain of exchanges that holds the port) at its
// next exchange boundary: once asked, every exchange that would start returns
// at once without writing, until the operation ends. The exchange in flight
// finishes or fails as designed.
//
// Only an operation that may be stopped part-way (one that shows its
// progress with a 取消) can be asked; outside one, Escape or a stray request
// is ignored and the chain runs to its end. Closing the program stops every
// chain, stoppable or not, and nothing further goes out until it has closed.
class CCancel
{
public:
    static void Request();
    // The operation was asked to stop, or the program is closing.
    static bool Requested();
    // The operation ended (the outermost CBusyScope closed): its cancel
    // request is forgotten.
    static void OperationEnded();

    // A stoppable operation begins or ends; operations nest. When the last
    // stoppable one ends, its cancel request is forgotten, so a chain around
    // it that may not be stopped runs on.
    static void StoppableBegins();
    static void StoppableEnds();

    // The program's window is closing (true) or has closed (false).
    static void SetClosing(bool closing);
    static bool Closing();
};
