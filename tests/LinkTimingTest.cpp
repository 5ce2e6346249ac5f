// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Exchange.h"
#include "link/FrameBuffer.h"
#include "link/PortChannel.h"
#include "link/TimeScale.h"
#include "tests/TestPeer.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <sys/resource.h>

// Timing figures of the serial link, printed rather than asserted: run with
// VELOR_MEASURE_LINK=1 velor_tests --gtest_filter='LinkTiming.*'
namespace {

constexpr int kPort = 6;

bool MeasuringWanted()
{
    return qEnvironmentVariableIsSet("VELOR_MEASURE_LINK");
}

// CPU time in ms of the monitor thread, from the scheduler's statistics.
double MonitorThreadCpuMs()
{
    for (const QString& task : QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile comm("/proc/self/task/" + task + "/comm");
        if (!comm.open(QIODevice::ReadOnly) || comm.readAll().trimmed() != "velor-port")
            continue;
        QFile schedstat("/proc/self/task/" + task + "/schedstat");
        if (schedstat.open(QIODevice::ReadOnly))
            return schedstat.readAll().split(' ').value(0).toDouble() / 1e6;
    }
    return -1;
}

// CPU time in ms of the calling thread.
double ThisThreadCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// Counts the bytes handed over, as an owner window would take them.
class CByteCounter : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE void OnCommRxChar(int, int) { ++count; }
    long count = 0;
};

double TimeExchange(const CExchange::Request& request, bool* accepted)
{
    QElapsedTimer clock;
    clock.start();
    *accepted = CExchange::Run(request);
    return clock.nsecsElapsed() / 1e6;
}

TEST(LinkTiming, ExchangesAndIdleMonitorThread)
{
    if (!MeasuringWanted())
        GTEST_SKIP() << "set VELOR_MEASURE_LINK=1 to measure";
    const CTimeScaleScope fullScale(1.0);
    CTestPeer peer(kPort);
    ASSERT_EQ(g_port.Open(nullptr, kPort, 9600, 'N', 8, 1, 0x49), 1);
    g_specialCode = 'E';
    const auto build = [] { g_request.BuildByteArg(255, 'A', '5', 11); };

    peer.SetResponder([](const std::string&, int) {
        CFrameBuffer reply;
        reply.BuildByteArg(255, 'A', '5', 0x2A);
        return std::string(reply.Data());
    });
    double least = 1e9, most = 0, total = 0;
    constexpr int kRuns = 20;
    for (int i = 0; i < kRuns; ++i) {
        bool accepted = false;
        const double ms = TimeExchange({.build = build, .waitMs = 50, .test = Acceptance::Letters}, &accepted);
        EXPECT_TRUE(accepted);
        least = std::min(least, ms);
        most = std::max(most, ms);
        total += ms;
    }
    printf("prompt controller, 50 ms wait: mean %.1f ms, min %.1f, max %.1f over %d exchanges\n",
           total / kRuns, least, most, kRuns);

    peer.SetResponder(nullptr);
    bool accepted = true;
    const double silentMs = TimeExchange({.build = build, .waitMs = 50, .test = Acceptance::Letters, .attempts = 2}, &accepted);
    EXPECT_FALSE(accepted);
    printf("silent controller, 2 attempts: %.1f ms\n", silentMs);

    const double cpuBefore = MonitorThreadCpuMs();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double cpuAfter = MonitorThreadCpuMs();
    ASSERT_GE(cpuBefore, 0) << "monitor thread not found";
    printf("idle monitor thread over 10 s: %.3f ms CPU (%.3f ms since it started)\n", cpuAfter - cpuBefore, cpuAfter);

    QElapsedTimer clock;
    clock.start();
    g_port.Close();
    printf("close with the monitor thread alive: %lld ms\n", clock.elapsed());
    g_specialCode = 0;
}

} // namespace

namespace {

// A line that never stops sending noise: the share of a core that the
// monitor thread and the owner's thread spend on handing the bytes over.
TEST(LinkTiming, NoiseFloodHandOff)
{
    if (!MeasuringWanted())
        GTEST_SKIP() << "set VELOR_MEASURE_LINK=1 to measure";
    const CTimeScaleScope fullScale(1.0);
    for (const int bytesPerSecond : {11520, 0}) {
        CTestPeer peer(kPort);
        CByteCounter owner;
        ASSERT_EQ(g_port.Open(&owner, kPort, 115200, 'N', 8, 1, 0x49), 1);
        std::atomic<bool> stop = false;
        std::atomic<bool> stopped = false;
        std::thread flood([&] {
            const std::string noise(4096, '5');
            const auto start = std::chrono::steady_clock::now();
            long sent = 0;
            while (!stop) {
                const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                const long due = bytesPerSecond ? static_cast<long>(elapsed * bytesPerSecond) - sent : 4096;
                if (due > 0) {
                    peer.Send(noise.substr(0, std::min<long>(due, 4096)));
                    sent += std::min<long>(due, 4096);
                }
                std::this_thread::sleep_for(std::chrono::microseconds(bytesPerSecond ? 500 : 50));
            }
            stopped = true;
        });
        const double monitorBefore = MonitorThreadCpuMs();
        const double ownerBefore = ThisThreadCpuMs();
        QEventLoop loop;
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        loop.exec();
        const double monitorMs = MonitorThreadCpuMs() - monitorBefore;
        const double ownerMs = ThisThreadCpuMs() - ownerBefore;
        stop = true;
        // The flood's last write may wait for the line to be read.
        while (!stopped)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        flood.join();
        g_port.Close();
        printf("noise at %s: %ld bytes handed over in 5 s, monitor thread %.1f%%, owner thread %.1f%% of a core\n",
               bytesPerSecond ? "11520 B/s (115200 baud)" : "full speed", owner.count, monitorMs / 50, ownerMs / 50);
    }
}

} // namespace

#include "LinkTimingTest.moc"
