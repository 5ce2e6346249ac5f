// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/Cancel.h"
#include "link/FastLine.h"
#include "link/PortChannel.h"

// Keeps g_port.m_busy at 1 for the scope's life, so that the replies of a
// chain of exchanges stay in the queue for Read instead of reaching the owner.
// Scopes nest: the end of a scope restores the value its start found, and
// the end of the outermost one ends the operation (a cancel request is
// forgotten, and a fall back from the fast line with it).
class CBusyScope
{
public:
    CBusyScope() : m_previous(g_port.m_busy.exchange(1)) {}
    ~CBusyScope()
    {
        g_port.m_busy = m_previous;
        if (!m_previous) {
            CCancel::OperationEnded();
            CFastLine::OperationEnded();
        }
    }

    CBusyScope(const CBusyScope&) = delete;
    CBusyScope& operator=(const CBusyScope&) = delete;

private:
    int m_previous;
};
