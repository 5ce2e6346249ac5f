// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimTrace.h"

#include "link/FrameText.h"

#include <chrono>
#include <cstdio>
#include <ctime>

void CSimTrace::Line(const char* direction, const std::string& bytes)
{
    if (!m_enabled)
        return;
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min, local.tm_sec, ms);
    m_out << stamp << ' ' << direction << ' ' << ReadableFrame(bytes) << std::endl;
}
