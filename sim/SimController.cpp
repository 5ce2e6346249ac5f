// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimController.h"

#include "link/FrameBuffer.h"
#include "sim/SimReply.h"
#include "sim/SimRequest.h"

namespace {

constexpr int kOverlongLength = 1100;
constexpr int kMostGarbageBytes = 6;
const char kGarbageBytes[] = "~#*?!%&@xyz\x7F\x15\xFF";
const char kLetterCycle[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Puts the right checksum on a frame whose body was changed.
void Reseal(std::string& frame)
{
    const size_t checksumPos = frame.size() - 3;
    const std::string digits = HexByte(CSimReply::Checksum(frame.substr(1, checksumPos - 1)));
    frame.replace(checksumPos, 2, digits);
}

char OtherLetter(char letter)
{
    const std::string cycle = kLetterCycle;
    const size_t pos = cycle.find(letter);
    return pos == std::string::npos ? '0' : cycle[(pos + 1) % cycle.size()];
}

} // namespace

CSimController::CSimController(const CSimOptions& options)
    : m_options(options)
    , m_mainBoard(options.longRecord, options.floors, options.clockStart)
    , m_random(options.seed)
{
}

std::string CSimController::HandleRequest(const std::string& frame, int baud)
{
    const CSimRequest request(frame);
    if (!request.IsUsable() || m_misbehaviour.silent)
        return {};
    const CSimAnswer answer = AnswerAtBaud(request, baud);
    if (answer.frame.empty())
        return {};
    m_replyDelayMs = answer.delayMs + m_misbehaviour.latencyMs;
    return Misbehave(answer.frame);
}

CSimAnswer CSimController::AnswerAtBaud(const CSimRequest& request, int baud)
{
    // Where both boards share one rate the main board takes the line.
    if (baud == m_options.mainBaud) {
        m_mainBoard.SetRefuseWrites(m_misbehaviour.refuseWrites);
        return m_mainBoard.Answer(request);
    }
    if (baud == m_options.doorBaud) {
        m_doorMachine.SetRefuseWrites(m_misbehaviour.refuseWrites);
        return m_doorMachine.Answer(request);
    }
    return {};
}

std::string CSimController::Misbehave(std::string frame)
{
    if (Chance(m_misbehaviour.wrongLetterFraction)) {
        frame[4] = OtherLetter(frame[4]);
        Reseal(frame);
    }
    if (Chance(m_misbehaviour.badChecksumFraction)) {
        const size_t checksumPos = frame.size() - 3;
        frame.replace(checksumPos, 2, HexByte(ParseHex2(frame.c_str() + checksumPos) + 1));
    }
    return m_misbehaviour.garbage ? Garbage() + frame : frame;
}

bool CSimController::Chance(double fraction)
{
    if (fraction <= 0)
        return false;
    return std::uniform_real_distribution<double>(0, 1)(m_random) < fraction;
}

std::string CSimController::Garbage()
{
    std::uniform_int_distribution<int> length(1, kMostGarbageBytes);
    std::uniform_int_distribution<int> pick(0, sizeof kGarbageBytes - 2);
    std::string bytes(length(m_random), ' ');
    for (char& byte : bytes)
        byte = kGarbageBytes[pick(m_random)];
    return bytes;
}

std::string CSimController::OverlongFrame()
{
    std::string frame(1, STX);
    frame += "FFA0";
    frame += std::string(kOverlongLength, '5');
    return frame;
}
