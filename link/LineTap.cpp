#include "link/LineTap.h"

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

void CLineTap::Report(const Frame& frame)
{
    if (g_listener)
        g_listener(frame);
}

void CLineTap::Note(const char* text)
{
    Report({false, {}, 0, false, text});
}
