#include "link/Cancel.h"

#include "link/PortChannel.h"

#include <atomic>

namespace {

std::atomic<bool> g_requested{false};

} // namespace

// A request outside an operation would stop the next one before it began.
void CCancel::Request()
{
    if (g_port.m_busy)
        g_requested = true;
}

bool CCancel::Requested()
{
    return g_requested;
}

void CCancel::OperationEnded()
{
    g_requested = false;
}
