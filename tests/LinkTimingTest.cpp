#include "link/Exchange.h"
#include "link/FrameBuffer.h"
#include "link/PortChannel.h"
#include "link/TimeScale.h"
#include "tests/TestPeer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>

#include <cstdio>

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
