#pragma once

// The designed waits of the link and the pages (an exchange's wait before
// reading, the read polls, the poll period of the live pages, the close step
// of the port) pass through Ms; the time a read waits for a reply before it
// gives up passes through GiveUpMs. The program always runs both at full
// scale; a test may shrink them so that the suite stays fast (see
// docs/internals.md). They have their own factors because a wait only has to
// elapse, while a give-up time must outlast a stall of the scheduler.
class CTimeScale
{
public:
    // designedMs times the current scale, at least 1 ms for a positive wait.
    static int Ms(int designedMs);
    // designedMs times the give-up scale, at least 1 ms for a positive time.
    static int GiveUpMs(int designedMs);

    static double Factor();
    static double GiveUpFactor();
    // Tests only: sets the factors (1.0 is full scale).
    static void SetFactor(double factor, double giveUpFactor);
};

// Tests only: runs a scope at the given scale (waits and give-up times alike)
// and restores the previous factors, e.g. CTimeScaleScope fullScale(1.0); in
// a test that measures timing.
class CTimeScaleScope
{
public:
    explicit CTimeScaleScope(double factor)
        : m_previous(CTimeScale::Factor())
        , m_previousGiveUp(CTimeScale::GiveUpFactor())
    {
        CTimeScale::SetFactor(factor, factor);
    }
    ~CTimeScaleScope() { CTimeScale::SetFactor(m_previous, m_previousGiveUp); }
    CTimeScaleScope(const CTimeScaleScope&) = delete;
    CTimeScaleScope& operator=(const CTimeScaleScope&) = delete;

private:
    double m_previous;
    double m_previousGiveUp;
};
