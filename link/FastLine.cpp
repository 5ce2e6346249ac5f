// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/FastLine.h"

#include "link/LineTap.h"

#include <atomic>

namespace {

std::atomic<bool> g_enabled{false};
bool g_fellBack = false;     // in the running operation
bool g_lastFellBack = false; // in the operation before

} // namespace

void CFastLine::SetEnabled(bool on)
{
    g_enabled = on;
    g_fellBack = g_lastFellBack = false;
}

bool CFastLine::IsEnabled()
{
    return g_enabled;
}

CFastLine::State CFastLine::Current()
{
    if (!g_enabled)
        return State::Off;
    return g_fellBack || g_lastFellBack ? State::FellBack : State::On;
}

bool CFastLine::IsActive()
{
    return g_enabled && !g_fellBack;
}

void CFastLine::FallBack()
{
    if (!IsActive())
        return;
    g_fellBack = true;
    CLineTap::Note("快速通讯：应答未到或有误，本次操作余下部分按标准节奏通讯");
}

void CFastLine::OperationEnded()
{
    g_lastFellBack = g_fellBack;
    g_fellBack = false;
}
