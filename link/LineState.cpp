// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LineState.h"

#include "link/TimeScale.h"

#include <QElapsedTimer>

namespace {

struct LineWatch
{
    QElapsedTimer clock;        // runs from the first report on
    qint64 lastReplyAt = -1;    // clock time of the last reply
    qint64 unansweredAt = -1;   // clock time the oldest unanswered request went out
    QDateTime unansweredSince;  // the same as a time of day
    bool awaiting = false;      // the last request has had no reply and no read gave up on it
    int awaitingBaud = 0;
    bool lineUp = true;
    int parameterCount = 0;
    CLineState::Counts counts;
};

LineWatch& Watch()
{
    static LineWatch watch;
    if (!watch.clock.isValid())
        watch.clock.start();
    return watch;
}

} // namespace

void CLineState::Note(const CLineTap::Frame& frame)
{
    LineWatch& w = Watch();
    if (frame.sent) {
        if (w.awaiting)
            ++w.counts.unanswered;
        w.awaiting = true;
        w.awaitingBaud = frame.baud;
        if (w.unansweredAt < 0) {
            w.unansweredAt = w.clock.elapsed();
            w.unansweredSince = QDateTime::currentDateTime();
        }
        return;
    }
    if (frame.bytes.empty()) {
        // A read gave up: its request is counted here, not by the next one.
        if (w.awaiting)
            ++w.counts.unanswered;
        w.awaiting = false;
        return;
    }
    ++w.counts.replies;
    w.lastReplyAt = w.clock.elapsed();
    // A fault report says the controller is there, not that it answered the request.
    if (!frame.unsolicited)
        w.awaiting = false;
    w.unansweredAt = -1;
    w.unansweredSince = {};
}

bool CLineState::AwaitingReply()
{
    return Watch().awaiting;
}

int CLineState::AwaitingBaud()
{
    return Watch().awaitingBaud;
}

void CLineState::Restart()
{
    LineWatch& w = Watch();
    w.lastReplyAt = -1;
    w.unansweredAt = -1;
    w.unansweredSince = {};
    w.awaiting = false;
}

void CLineState::SetLineUp(bool up)
{
    Restart();
    Watch().lineUp = up;
}

void CLineState::SetParameterCount(int count)
{
    Watch().parameterCount = count;
}

int CLineState::ParameterCount()
{
    return Watch().parameterCount;
}

CLineState::State CLineState::Current()
{
    const LineWatch& w = Watch();
    if (!w.lineUp)
        return State::Unplugged;
    if (w.unansweredAt >= 0 && w.clock.elapsed() - w.unansweredAt > CTimeScale::ReplyMs(kSilenceMs))
        return State::Silent;
    return w.lastReplyAt < 0 ? State::Waiting : State::Answering;
}

QDateTime CLineState::UnansweredSince()
{
    return Watch().unansweredSince;
}

qint64 CLineState::MsSinceLastReply()
{
    const LineWatch& w = Watch();
    return w.lastReplyAt < 0 ? -1 : w.clock.elapsed() - w.lastReplyAt;
}

CLineState::Counts CLineState::Tally()
{
    return Watch().counts;
}
