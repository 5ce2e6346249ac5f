// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/ReadProgress.h"

#include "link/PortChannel.h"

namespace {

std::chrono::seconds g_clockOffset{0};

} // namespace

CReadProgress::Start CReadProgress::StartOf(const QByteArray& firstReply, int reached, int total) const
{
    const bool gap = reached > 0 && reached < total;
    const bool sameController = m_began && g_port.LineSession() == m_lineSession && firstReply == m_firstReply;
    return gap && sameController && !IsStale() ? Start::FromGap : Start::FromBeginning;
}

void CReadProgress::Began(const QByteArray& firstReply)
{
    m_firstReply = firstReply;
    m_lineSession = g_port.LineSession();
    m_began = true;
    m_beganAt = Now();
    m_readAt = QDateTime::currentDateTime();
}

bool CReadProgress::IsStale() const
{
    return !m_began || Now() - m_beganAt > kFreshFor;
}

void CReadProgress::SetClockOffset(std::chrono::seconds offset)
{
    g_clockOffset = offset;
}

std::chrono::steady_clock::time_point CReadProgress::Now()
{
    return std::chrono::steady_clock::now() + g_clockOffset;
}
