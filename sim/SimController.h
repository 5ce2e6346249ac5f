// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/SimDoorMachine.h"
#include "sim/SimMainBoard.h"
#include "sim/SimMisbehaviour.h"
#include "sim/SimOptions.h"

#include <random>
#include <string>

// The simulated controller as the serial line sees it: the main board and the
// door machine behind one line, each answering only at its own baud rate, and
// the misbehaviour laid over their replies. Tests drive it directly: hand it
// request frames, advance its time with Tick, look at its boards.
class CSimController
{
public:
    explicit CSimController(const CSimOptions& options = {});

    // The bytes the controller sends back for one received frame at the line's
    // baud rate; empty when nobody answers (bad checksum, unknown request,
    // baud rate of neither board, silence).
    std::string HandleRequest(const std::string& frame, int baud);
    // How long after the request the last non-empty reply leaves the line.
    int ReplyDelayMs() const { return m_replyDelayMs; }

    void Tick(int ms) { m_mainBoard.Tick(ms); }

    // An unasked fault report of the main board (see CSimMainBoard).
    std::string FaultReport(int code) { return m_mainBoard.ReportFault(code); }
    // A frame that starts like a reply and runs far past any buffer without ETX.
    static std::string OverlongFrame();

    CSimMisbehaviour& Misbehaviour() { return m_misbehaviour; }
    CSimMainBoard& MainBoard() { return m_mainBoard; }
    CSimDoorMachine& DoorMachine() { return m_doorMachine; }
    const CSimOptions& Options() const { return m_options; }

private:
    CSimAnswer AnswerAtBaud(const CSimRequest& request, int baud);
    std::string Misbehave(std::string frame);
    bool Chance(double fraction);
    std::string Garbage();

    CSimOptions m_options;
    CSimMisbehaviour m_misbehaviour;
    CSimMainBoard m_mainBoard;
    CSimDoorMachine m_doorMachine;
    std::mt19937 m_random;
    int m_replyDelayMs = 0;
};
