#pragma once

// The designed waits of the link and the pages (an exchange's wait before
// reading, the read polls, the poll period of the live pages, the close step
// of the port) pass through Ms. The program always runs at full scale; a test
// may shrink them so that the suite stays fast (see docs/internals.md).
class CTimeScale
{
public:
    // designedMs times the current scale, at least 1 ms for a positive wait.
    static int Ms(int designedMs);

    static double Factor();
    // Tests only: sets the factor (1.0 is full scale).
    static void SetFactor(double factor);
};

// Tests only: runs a scope at the given scale and restores the previous one,
// e.g. CTimeScaleScope fullScale(1.0); in a test that measures timing.
class CTimeScaleScope
{
public:
    explicit CTimeScaleScope(double factor) : m_previous(CTimeScale::Factor()) { CTimeScale::SetFactor(factor); }
    ~CTimeScaleScope() { CTimeScale::SetFactor(m_previous); }
    CTimeScaleScope(const CTimeScaleScope&) = delete;
    CTimeScaleScope& operator=(const CTimeScaleScope&) = delete;

private:
    double m_previous;
};
