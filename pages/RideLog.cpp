// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/RideLog.h"

#include <QDateTime>

#include <algorithm>

CRideLog g_rideLog;

RideSample CRideLog::Stamped(RideSample::Kind kind) const
{
    RideSample sample;
    sample.ms = m_clock ? m_clock() : QDateTime::currentMSecsSinceEpoch();
    sample.kind = kind;
    return sample;
}

void CRideLog::AddState(const CarState& state)
{
    RideSample sample = Stamped(RideSample::State);
    sample.bytes[0] = static_cast<std::uint8_t>(state.floorCode);
    sample.bytes[1] = static_cast<std::uint8_t>(state.s1);
    sample.bytes[2] = static_cast<std::uint8_t>(state.s2);
    Add(sample);
}

void CRideLog::AddSpeed(int mmPerSecond)
{
    RideSample sample = Stamped(RideSample::Speed);
    sample.speed = static_cast<std::int16_t>(mmPerSecond);
    Add(sample);
}

void CRideLog::AddCalls(const std::array<std::uint8_t, RideSample::kCallBytes>& bytes)
{
    RideSample sample = Stamped(RideSample::Calls);
    sample.bytes = bytes;
    Add(sample);
}

void CRideLog::AddFault(const QString& code)
{
    RideSample sample = Stamped(RideSample::Fault);
    const QByteArray latin = code.toLatin1();
    for (int i = 0; i < 2 && i < latin.size(); ++i)
        sample.bytes[i] = static_cast<std::uint8_t>(latin[i]);
    Add(sample);
}

void CRideLog::Add(const RideSample& sample)
{
    if (m_ring.size() < kCapacity)
        m_ring.push_back(sample);
    else
        m_ring[m_next] = sample;
    m_next = (m_next + 1) % kCapacity;
    ++m_added;
}

std::vector<RideSample> CRideLog::Since(std::uint64_t after) const
{
    const size_t wanted = static_cast<size_t>(std::min<std::uint64_t>(m_added - std::min(after, m_added), m_ring.size()));
    std::vector<RideSample> samples;
    samples.reserve(wanted);
    // The oldest kept sample stands at m_next once the ring is full, else at 0.
    const size_t oldest = m_ring.size() < kCapacity ? 0 : m_next;
    for (size_t i = m_ring.size() - wanted; i < m_ring.size(); ++i)
        samples.push_back(m_ring[(oldest + i) % m_ring.size()]);
    return samples;
}

void CRideLog::Clear()
{
    m_ring.clear();
    m_ring.shrink_to_fit();
    m_next = 0;
    m_added = 0;
}
