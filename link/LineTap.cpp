// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LineTap.h"

#include "link/LineState.h"

#include <utility>

namespace {

CLineTap::Listener g_listener;

} // namespace

CLineTap::Listener CLineTap::SetListener(Listener listener)
{
    return std::exchange(g_listener, std::move(listener));
}

bool CLineTap::IsListening()
{
    return static_cast<bool>(g_listener);
}

// A request that goes out while the one before it is still unanswered
// leaves that one without a reply: the listener hears so first, as it hears
// of a read that gave up.
void CLineTap::Report(const Frame& frame)
{
    if (frame.sent && g_listener && CLineState::AwaitingReply())
        g_listener({false, {}, CLineState::AwaitingBaud(), false});
    CLineState::Note(frame);
    if (g_listener)
        g_listener(frame);
}

void CLineTap::Note(const char* text)
{
    Report({false, {}, 0, false, text});
}
