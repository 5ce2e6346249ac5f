#pragma once

#include <functional>
#include <string>

class CSimController;
class CSimTrace;

// The commands a technician types into the running simulator: misbehaviour on
// and off, unasked frames, the car's mode and load, calls, a status line.
class CSimConsole
{
public:
    // send puts bytes on the line at once (fault reports, the over-long frame).
    using Sender = std::function<void(const std::string&)>;

    CSimConsole(CSimController& controller, CSimTrace& trace, Sender send);

    // Runs one command line and returns what to show (ending in a newline, or
    // empty for an empty line).
    std::string Execute(const std::string& line);
    bool QuitRequested() const { return m_quit; }

    static std::string Help();

private:
    std::string Status() const;

    CSimController& m_controller;
    CSimTrace& m_trace;
    Sender m_send;
    bool m_quit = false;
};
