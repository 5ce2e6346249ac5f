// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The designed waits of the link (an exchange's wait before reading, the
// interval of the read's polls, the close step of the port) pass through Ms.
// The times a reply is given to arrive pass through ReplyMs: a read's
// give-up time, and the period of a page's timer, after which a live page
// polls again whether or not its reply came. The program always runs both
// at full scale; a test may shrink them so that the suite stays fast (see
// docs/internals.md). They have factors of their own because a wait only has
// to elapse, while a reply's time must outlast a stall of the scheduler.
class CTimeScale
{
public:
    // designedMs times the current scale, at least 1 ms for a positive wait.
    static int Ms(int designedMs);
    // designedMs times the reply scale, at least 1 ms for a positive time.
    static int ReplyMs(int designedMs);

    static double Factor();
    static double ReplyFactor();
    // Tests only: sets the factors (1.0 is full scale).
    static void SetFactor(double factor, double replyFactor);
};

// Tests only: runs a scope at the given scale (waits and reply times alike)
// and restores the previous factors, e.g. CTimeScaleScope fullScale(1.0); in
// a test that measures timing.
class CTimeScaleScope
{
public:
    explicit CTimeScaleScope(double factor)
        : m_previous(CTimeScale::Factor())
        , m_previousReply(CTimeScale::ReplyFactor())
    {
        CTimeScale::SetFactor(factor, factor);
    }
    ~CTimeScaleScope() { CTimeScale::SetFactor(m_previous, m_previousReply); }
    CTimeScaleScope(const CTimeScaleScope&) = delete;
    CTimeScaleScope& operator=(const CTimeScaleScope&) = delete;

private:
    double m_previous;
    double m_previousReply;
};
