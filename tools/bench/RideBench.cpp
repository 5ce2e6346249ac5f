// SPDX-License-Identifier: GPL-3.0-or-later
// What the ride recorder costs: the memory two hours of the status page's
// replies take in the ring and in the open window, and the processor time
// the open, live window takes to follow them (replies at the poll's rate,
// stamped as if they came in real time). Not part of the tests.
//
//   velor_ride_bench            (QT_QPA_PLATFORM=offscreen for no display)

#include "app/RideWindow.h"
#include "pages/RideLog.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

namespace {

long RssKb()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// One poll cycle (A3, A8, A0) at time ms of a car that runs up and down.
constexpr qint64 kCycleMs = 330; // three replies, each 100 ms after the one before and ~10 ms on the line

void AddCycle(qint64 ms)
{
    const double phase = std::fmod(ms / 1000.0, 40.0);
    const int speed = phase < 20 ? static_cast<int>(1750 * std::sin(phase / 20 * M_PI)) : 0;
    g_rideLog.SetClock([ms] { return ms; });
    g_rideLog.AddCalls({});
    g_rideLog.SetClock([ms] { return ms + 110; });
    g_rideLog.AddSpeed(speed);
    g_rideLog.SetClock([ms] { return ms + 220; });
    g_rideLog.AddState(CarState{1 + static_cast<int>(phase / 4) % 8, 1 << 3, 0xC0 | (speed == 0 ? 0x10 : 0)});
}

} // namespace

// Follows the replies for a while as they come; the processor's share.
double Follow(qint64& fed, qint64 start, int seconds)
{
    const double cpu = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    while (wall.elapsed() < seconds * 1000) {
        for (const qint64 now = start + CRideWindow::kKeptMs + wall.elapsed(); fed < now; fed += kCycleMs)
            AddCycle(fed);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return 100 * (CpuSeconds() - cpu) / (wall.elapsed() / 1000.0);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CRideWindow window;
    window.show();
    QCoreApplication::processEvents();
    window.hide();
    const qint64 start = QDateTime::currentMSecsSinceEpoch() - CRideWindow::kKeptMs;
    const long before = RssKb();
    qint64 ms = start;
    for (; ms < start + CRideWindow::kKeptMs; ms += kCycleMs)
        AddCycle(ms);
    const long ring = RssKb();
    std::printf("two hours: %zu samples, ring %+ld kB\n", g_rideLog.Size(), ring - before);
    window.show();
    window.Refresh();
    std::printf("shown in the window: %+ld kB more, %+ld kB in all\n", RssKb() - ring, RssKb() - before);

    // A minute of live following with the window hidden (the polls' cost
    // alone, here the feeding), then shown.
    window.hide();
    const double hidden = Follow(ms, start, 30);
    window.show();
    const double shown = Follow(ms, start, 60);
    std::printf("live window: %.2f %% of a core (%.2f %% shown, %.2f %% hidden)\n", shown - hidden, shown, hidden);
    std::printf("after the minute: %+ld kB in all\n", RssKb() - before);
    return 0;
}
