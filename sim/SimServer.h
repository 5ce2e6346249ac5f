// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/FrameAssembler.h"
#include "sim/SimConsole.h"
#include "sim/SimTrace.h"

#include <chrono>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

class CSimController;
class CSimPortLink;
class CSimPty;

// Serves the simulated controller on its pseudo-terminal: cuts received bytes
// into frames, lets the controller answer at the line's current baud rate,
// sends each reply when its delay is over, advances the controller's time with
// the real time and runs the commands typed on its input. Everything happens
// in one poll loop that sleeps while nothing is due.
//
// It keeps the line's time as a serial line would: a character takes 10 bits
// at the line's baud rate, so a request has come in only when its last
// character could have, and each character of a reply leaves no sooner than
// the one before it plus a character's time. A reply begins the controller's
// turnaround (CSimOptions::turnaroundMs) after the end of its request, plus
// the board's own delay and the latency misbehaviour. The unplug and replug
// commands pull the line and plug a new pseudo-terminal in; the loop does it,
// so a command from another thread never closes a descriptor it polls.
class CSimServer
{
public:
    CSimServer(CSimController& controller, CSimPty& pty, std::ostream& out);
    ~CSimServer();
    CSimServer(const CSimServer&) = delete;
    CSimServer& operator=(const CSimServer&) = delete;

    void SetTrace(bool on) { m_trace.SetEnabled(on); }
    // Reads command lines from fd (normally standard input) while serving.
    void ReadCommandsFrom(int fd) { m_commandFd = fd; }
    // The port entry to point at the new device after each replug; safe from
    // another thread while Run serves.
    void SetPortLink(CSimPortLink* link);
    // Runs a console command two seconds after the first request arrived,
    // when the tool is surely listening.
    void RunAfterFirstRequest(const std::string& command) { m_deferredCommands.push_back(command); }

    // Runs one console command at once and returns what it answered; safe
    // from another thread while Run serves.
    std::string Execute(const std::string& line);

    // Serves until Stop or the quit command.
    void Run();
    // Ends Run; safe from another thread and from a signal handler, which may
    // also just write one byte to StopFd().
    void Stop();
    int StopFd() const { return m_stopPipe[1]; }

private:
    using Clock = std::chrono::steady_clock;
    struct Outgoing
    {
        Clock::time_point due;
        std::string bytes;
    };

    std::optional<Clock::time_point> NextDue() const;
    void AdvanceModel(Clock::time_point now);
    void ReadRequests(Clock::time_point now);
    // A request whose characters were on the line from start to end.
    void Answer(const std::string& frame, Clock::time_point start, Clock::time_point end);
    // Queues bytes to leave the line no sooner than due; safe from another thread.
    void Queue(Clock::time_point due, std::string bytes);
    // The time of one character at the line's current baud rate.
    Clock::duration CharacterTime() const;
    // Starts the next frame that is due when the line is idle.
    bool StartNextFrame(Clock::time_point now);
    void ReadCommands();
    void RunCommand(const std::string& line);
    std::string RequestLineSwitch(bool plugIn);
    void SwitchLine();
    void SendDue(Clock::time_point now);
    void Send(const std::string& bytes);

    std::mutex m_modelLock; // the controller and the console, for Execute from another thread
    CSimController& m_controller;
    CSimPty& m_pty;
    std::ostream& m_out;
    CSimTrace m_trace;
    CSimConsole m_console;
    CFrameAssembler m_assembler;
    mutable std::mutex m_outgoingLock; // console commands from another thread queue frames too
    std::vector<Outgoing> m_outgoing;
    // The frame on its way out, character by character.
    std::string m_sending;
    size_t m_sent = 0;
    Clock::duration m_characterTime{};
    Clock::time_point m_nextCharacterDue;  // when m_sending[m_sent] has crossed the line
    Clock::time_point m_lineFreeAt;        // the last character sent has crossed the line
    Clock::time_point m_receivedUntil;     // the last request character has crossed the line
    std::optional<Clock::time_point> m_lastReplyEnd;
    std::vector<std::string> m_deferredCommands;
    std::optional<Clock::time_point> m_deferredDue;
    bool m_firstRequestSeen = false;
    Clock::time_point m_modelTime;
    int m_commandFd = -1;
    std::string m_commandLine;
    CSimPortLink* m_link = nullptr; // guarded by m_modelLock
    bool m_plugged = true;         // as asked for; the loop follows
    bool m_switchPending = false;  // guarded by m_modelLock
    int m_stopPipe[2] = {-1, -1};
    int m_wakePipe[2] = {-1, -1};  // a line switch was asked for
    bool m_stopping = false;
};
