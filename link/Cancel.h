#pragma once

// Stops a running operation (a chain of exchanges that holds the port) at its
// next exchange boundary: once asked, every exchange that would start returns
// at once without writing, until the operation ends (the outermost CBusyScope
// closes). The exchange in flight finishes or fails as designed. Outside an
// operation there is nothing to stop and a request is ignored.
class CCancel
{
public:
    static void Request();
    static bool Requested();
    // The operation ended: its cancel request is forgotten.
    static void OperationEnded();
};
