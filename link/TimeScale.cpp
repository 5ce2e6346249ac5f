// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/TimeScale.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

std::atomic<double> g_factor{1.0};
std::atomic<double> g_replyFactor{1.0};

int Scaled(int designedMs, double factor)
{
    if (designedMs <= 0)
        return designedMs;
    return std::max(1, static_cast<int>(std::lround(designedMs * factor)));
}

} // namespace

int CTimeScale::Ms(int designedMs)
{
    return Scaled(designedMs, g_factor.load());
}

int CTimeScale::ReplyMs(int designedMs)
{
    return Scaled(designedMs, g_replyFactor.load());
}

double CTimeScale::Factor()
{
    return g_factor.load();
}

double CTimeScale::ReplyFactor()
{
    return g_replyFactor.load();
}

void CTimeScale::SetFactor(double factor, double replyFactor)
{
    g_factor = factor > 0 ? factor : 1.0;
    g_replyFactor = replyFactor > 0 ? replyFactor : 1.0;
}
