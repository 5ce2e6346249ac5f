// SPDX-License-Identifier: GPL-3.0-or-later
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
    // plug(false) pulls the line, plug(true) plugs it in again; returns what
    // to show.
    using LineSwitch = std::function<std::string(bool plugIn)>;

    CSimConsole(CSimController& controller, CSimTrace& trace, Sender send);

    // Runs one command line and returns what to show (ending in a newline, or
    // empty for an empty line).
    std::string Execute(const std::string& line);
    bool QuitRequested() const { return m_quit; }
    // Enables the unplug and replug commands.
    void SetLineSwitch(LineSwitch lineSwitch) { m_lineSwitch = std::move(lineSwitch); }

    static std::string Help();

private:
    std::string Status() const;

    CSimController& m_controller;
    CSimTrace& m_trace;
    Sender m_send;
    LineSwitch m_lineSwitch;
    bool m_quit = false;
};
