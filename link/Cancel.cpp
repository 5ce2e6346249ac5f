// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Cancel.h"

#include "link/PortChannel.h"

#include <atomic>

namespace {

std::atomic<bool> g_requested{false};
std::atomic<int> g_stoppable{0};
std::atomic<bool> g_closing{false};

} // namespace

// A request outside an operation would stop the next one before it began;
// one during a chain that may not be stopped would cut it short.
void CCancel::Request()
{
    if (g_port.m_busy && g_stoppable > 0)
        g_requested = true;
}

bool CCancel::Requested()
{
    return g_requested || g_closing;
}

void CCancel::OperationEnded()
{
    g_requested = false;
}

void CCancel::StoppableBegins()
{
    ++g_stoppable;
}

void CCancel::StoppableEnds()
{
    if (--g_stoppable == 0)
        g_requested = false;
}

void CCancel::SetClosing(bool closing)
{
    g_closing = closing;
}

bool CCancel::Closing()
{
    return g_closing;
}
