// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Exchange.h"

#include "link/BusyScope.h"
#include "link/Cancel.h"
#include "link/FastLine.h"
#include "link/FrameBuffer.h"
#include "link/LinkHooks.h"
#include "link/PortChannel.h"
#include "link/TimeScale.h"

#include <algorithm>

namespace {

// The reply character at pos, or NUL when this read did not reach it.
char ReplyChar(int count, int pos)
{
    return pos < count ? g_reply.Data()[pos] : 0;
}

bool LettersMatch(int count)
{
    return ReplyChar(count, 3) == g_request.Letter1() && ReplyChar(count, 4) == g_request.Letter2();
}

// The acknowledgement is a data character: an 'F' among the checksum digits
// of a frame without one, or in what the read brought after the frame,
// acknowledges nothing.
bool AckPresent(int count, int ackPos)
{
    const int frameCount = std::min(count, g_reply.FrameLength());
    return ackPos == 0 || (ackPos + 1 <= frameCount - kFrameTail && ReplyChar(count, ackPos) == 'F');
}

} // namespace

bool AcceptNone(int)
{
    return true;
}

bool AcceptCount(int count)
{
    return count > 0;
}

bool AcceptLetters(int count)
{
    return count > 0 && LettersMatch(count);
}

bool AcceptLettersAck(int count, int ackPos)
{
    return AcceptLetters(count) && AckPresent(count, ackPos);
}

bool AcceptValidFrameLetters(int count, int ackPos)
{
    return AcceptLettersAck(count, ackPos) && g_reply.IsValidFrame();
}

bool AcceptNotRefused(int count, int ackPos)
{
    const bool refused = LettersMatch(count) && !AckPresent(count, ackPos);
    return count > 0 && !refused;
}

bool Accepts(Acceptance test, int count, int ackPos)
{
    switch (test) {
    case Acceptance::None: return AcceptNone(count);
    case Acceptance::Count: return AcceptCount(count);
    case Acceptance::Letters: return AcceptLetters(count);
    case Acceptance::LettersAck: return AcceptLettersAck(count, ackPos);
    case Acceptance::ValidFrameLetters: return AcceptValidFrameLetters(count, ackPos);
    case Acceptance::NotRefused: return AcceptNotRefused(count, ackPos);
    }
    return false;
}

bool CExchange::Run(const Request& request)
{
    CBusyScope busy;
    for (int attempt = 0; attempt < request.attempts; ++attempt) {
        Sleep(request.pauseBeforeMs);
        if (CCancel::Requested())
            return false; // the operation was stopped: nothing more goes out
        const bool fast = CFastLine::IsActive();
        const int count = Attempt(request, fast);
        // A request that could not be written at all gets no reply to wait for.
        if (count < 0)
            continue;
        // Only the frame counts: what the read brought after its ETX is no part of it.
        const int frameCount = std::min(count, g_reply.FrameLength());
        const bool longEnough = frameCount >= request.minCount || request.test == Acceptance::None;
        if (longEnough && Accepts(request.test, count, request.ackPos))
            return true;
        if (fast && !ReplyIntact(count)) {
            CFastLine::FallBack();
            if (!request.sendsOnce)
                --attempt; // made again at the designed pace
        }
        if (attempt + 1 < request.attempts)
            Sleep(request.pauseAfterFailureMs);
    }
    return false;
}

// One attempt after its pause: builds, writes and reads the reply into
// g_reply; the count read, or -1 when the request could not be written.
int CExchange::Attempt(const Request& request, bool fast)
{
    request.build();
    if (!g_port.Write(g_request.Data(), g_request.Length()) && g_port.LastWriteFailed())
        return -1;
    const char letters[2] = {g_request.Letter1(), g_request.Letter2()};
    if (!fast || request.waitIsPause)
        Sleep(request.waitMs);
    if (!fast)
        return g_port.Read(g_reply.Data(), request.maxCount, letters);
    // No sooner than the designed exchange would have given up.
    const int waitedMs = request.waitIsPause ? 0 : CTimeScale::Ms(request.waitMs);
    return g_port.ReadFrame(g_reply.Data(), request.maxCount, letters, waitedMs + CPortChannel::ReadGiveUpMs());
}

// What the controller sent came whole and unspoilt: a frame with the
// request's letters and a right checksum. Anything else on the fast line is
// taken as a controller that could not keep up.
bool CExchange::ReplyIntact(int count)
{
    return count > 0 && LettersMatch(count) && g_reply.IsValidFrame();
}

void CExchange::Send(const std::function<void()>& build)
{
    if (CCancel::Closing())
        return; // nothing new goes out once the program is closing
    build();
    g_port.Write(g_request.Data(), g_request.Length());
}

void CExchange::Sleep(int ms)
{
    CLinkHooks::Wait(CTimeScale::Ms(ms));
}
