#pragma once

#include "link/FrameAssembler.h"
#include "sim/SimConsole.h"
#include "sim/SimTrace.h"

#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

class CSimController;
class CSimPty;

// Serves the simulated controller on its pseudo-terminal: cuts received bytes
// into frames, lets the controller answer at the line's current baud rate,
// sends each reply when its delay is over, advances the controller's time with
// the real time and runs the commands typed on its input. Everything happens
// in one poll loop that sleeps while nothing is due.
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
    // Runs a console command two seconds after the first request arrived,
    // when the tool is surely listening.
    void RunAfterFirstRequest(const std::string& command) { m_deferredCommands.push_back(command); }

    // Runs one console command at once and returns what it answered.
    std::string Execute(const std::string& line) { return m_console.Execute(line); }

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

    int PollTimeoutMs(Clock::time_point now) const;
    void AdvanceModel(Clock::time_point now);
    void ReadRequests(Clock::time_point now);
    void Answer(const std::string& frame, Clock::time_point now);
    void ReadCommands();
    void RunCommand(const std::string& line);
    void SendDue(Clock::time_point now);
    void Send(const std::string& bytes);

    CSimController& m_controller;
    CSimPty& m_pty;
    std::ostream& m_out;
    CSimTrace m_trace;
    CSimConsole m_console;
    CFrameAssembler m_assembler;
    std::vector<Outgoing> m_outgoing;
    std::vector<std::string> m_deferredCommands;
    std::optional<Clock::time_point> m_deferredDue;
    bool m_firstRequestSeen = false;
    Clock::time_point m_modelTime;
    int m_commandFd = -1;
    std::string m_commandLine;
    int m_stopPipe[2] = {-1, -1};
    bool m_stopping = false;
};
