#include "link/TimeScale.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

std::atomic<double> g_factor{1.0};

} // namespace

int CTimeScale::Ms(int designedMs)
{
    if (designedMs <= 0)
        return designedMs;
    return std::max(1, static_cast<int>(std::lround(designedMs * g_factor.load())));
}

double CTimeScale::Factor()
{
    return g_factor.load();
}

void CTimeScale::SetFactor(double factor)
{
    g_factor = factor > 0 ? factor : 1.0;
}
