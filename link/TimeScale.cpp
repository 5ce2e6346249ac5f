#include "link/TimeScale.h"

#include <algorithm>
#include <atomic>
#include <cmath>

namespace {

std::atomic<double> g_factor{1.0};
std::atomic<double> g_giveUpFactor{1.0};

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

int CTimeScale::GiveUpMs(int designedMs)
{
    return Scaled(designedMs, g_giveUpFactor.load());
}

double CTimeScale::Factor()
{
    return g_factor.load();
}

double CTimeScale::GiveUpFactor()
{
    return g_giveUpFactor.load();
}

void CTimeScale::SetFactor(double factor, double giveUpFactor)
{
    g_factor = factor > 0 ? factor : 1.0;
    g_giveUpFactor = giveUpFactor > 0 ? giveUpFactor : 1.0;
}
