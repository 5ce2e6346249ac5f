// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/BusyScope.h"
#include "link/Exchange.h"
#include "link/FastLine.h"
#include "link/FrameBuffer.h"
#include "link/LineTap.h"
#include "link/PortChannel.h"
#include "link/TimeScale.h"
#include "sim/SimController.h"
#include "sim/SimPortLink.h"
#include "sim/SimPty.h"
#include "sim/SimServer.h"
#include "tests/TempConfigHome.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <sstream>
#include <thread>

namespace {

constexpr int kPort = 7;
constexpr int kReads = 6;

// How a chain of parameter reads, as the elevator parameter page sends them,
// goes against the simulated controller served on its own pseudo-terminal,
// with the line's time kept.
struct Case
{
    const char* name;
    bool fast;
    const char* misbehaviour; // console command, empty for none
    double timeScale;         // of the tool's waits; 0 for the suite's
    bool valuesRight;
    int requests;
    int fallBackNotes;
};

class FastLineTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        CFastLine::SetEnabled(false);
        CLineTap::SetListener({});
        g_specialCode = 0;
    }

    // Reads F0 to F5; the values read, -1 for a read that failed.
    static std::vector<int> ReadParameters()
    {
        std::vector<int> values;
        const CBusyScope operation;
        for (int n = 0; n < kReads; ++n) {
            const bool read = CExchange::Run({.build = [n] { g_request.BuildByteArg(kControllerAddress, 'A', '5', n); },
                                              .test = Acceptance::ValidFrameLetters,
                                              .attempts = 2});
            values.push_back(read ? ParseHex4(g_reply.Data() + 7) : -1);
        }
        return values;
    }
};

TEST_F(FastLineTest, ReadsRightValuesAtEitherPaceAndFallsBackForAControllerThatCannotKeepUp)
{
    const Case cases[] = {
        {"designed pace", false, "", 0, true, kReads, 0},
        {"fast line", true, "", 0, true, kReads, 0},
        // One read goes unanswered on the fast line and is asked again at the
        // designed pace, which the rest of the chain keeps.
        {"fast line, controller needs 60 ms after a reply", true, "needs-gap 60", 1.0, true, kReads + 1, 1},
        // Each read: the fast try, the designed try made up for it, the second attempt.
        {"fast line, silent controller", true, "silent on", 0, false, 3 + 2 * (kReads - 1), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CTempConfigHome home;
        CSimController sim;
        for (int n = 0; n < kReads; ++n)
            sim.MainBoard().Parameters().Write(n, 300 + n);
        CSimPty pty;
        ASSERT_TRUE(pty.IsOpen()) << pty.Error();
        std::ostringstream trace;
        CSimServer server(sim, pty, trace);
        server.SetTrace(true);
        if (*c.misbehaviour)
            ASSERT_EQ(server.Execute(c.misbehaviour), "ok\n");
        const CSimPortLink link(kPort, pty.DevicePath());
        ASSERT_TRUE(link.IsMade()) << link.Error();
        std::thread serving([&server] { server.Run(); });
        ASSERT_EQ(g_port.Open(nullptr, kPort, 9600, 'N', 8, 1, 0x49), 1);
        g_specialCode = 'E';
        CFastLine::SetEnabled(c.fast);
        int notes = 0;
        CLineTap::SetListener([&notes](const CLineTap::Frame& frame) {
            notes += frame.note && QString::fromUtf8(frame.note).startsWith("快速通讯");
        });

        std::vector<int> values;
        QElapsedTimer clock;
        {
            std::optional<CTimeScaleScope> scale;
            if (c.timeScale > 0)
                scale.emplace(c.timeScale);
            clock.start();
            values = ReadParameters();
        }
        const qint64 elapsed = clock.elapsed();
        CLineTap::SetListener({});
        {
            const CTimeScaleScope quickClose(0.01);
            g_port.Close();
        }
        server.Stop();
        serving.join();

        std::vector<int> expected;
        for (int n = 0; n < kReads; ++n)
            expected.push_back(c.valuesRight ? 300 + n : -1);
        EXPECT_EQ(values, expected);
        size_t requests = 0;
        for (size_t at = trace.str().find(" <- "); at != std::string::npos; at = trace.str().find(" <- ", at + 1))
            ++requests;
        EXPECT_EQ(requests, static_cast<size_t>(c.requests));
        EXPECT_EQ(notes, c.fallBackNotes) << "the fall back is noted once";
        if (!c.fast) // the designed spacing: a wait and at least one poll per read
            EXPECT_GE(elapsed, kReads * (CTimeScale::Ms(50) + CTimeScale::Ms(80)));
        if (!c.valuesRight) // the fast try gives up no sooner than the designed one
            EXPECT_GE(elapsed, (3 + 2 * (kReads - 1)) * (CTimeScale::Ms(50) + CPortChannel::ReadGiveUpMs()));
    }
}

} // namespace
