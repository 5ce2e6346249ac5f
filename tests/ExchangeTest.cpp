// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/BusyScope.h"
#include "link/Exchange.h"
#include "link/FastLine.h"
#include "link/FrameBuffer.h"
#include "link/PortChannel.h"
#include "link/TimeScale.h"
#include "tests/TestPeer.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

constexpr int kPort = 5;

std::string MakeFrame(const std::function<void(CFrameBuffer&)>& build)
{
    CFrameBuffer frame;
    build(frame);
    return frame.Data();
}

std::string ValueReply() { return MakeFrame([](CFrameBuffer& f) { f.BuildByteArg(255, 'A', '5', 0x2A); }); }
std::string AckReply() { return MakeFrame([](CFrameBuffer& f) { f.BuildCharArg(255, 'F', '5', 'F'); }); }
std::string RefusalReply() { return MakeFrame([](CFrameBuffer& f) { f.BuildCharArg(255, 'F', '5', '0'); }); }

std::string WithWrongChecksum(std::string frame)
{
    char& digit = frame[frame.size() - 2];
    digit = digit == '0' ? '1' : '0';
    return frame;
}

void BuildValueRequest() { g_request.BuildByteArg(255, 'A', '5', 11); }
void BuildWriteRequest() { g_request.BuildByteWordArg(255, 'F', '5', 3, 100); }

// g_reply as Read leaves it after reading count characters of text.
void PutReply(const std::string& text, int count)
{
    g_reply.SetText(text.c_str());
    g_reply.Data()[count] = 0;
}

class ExchangeTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_peer = new CTestPeer(kPort);
        ASSERT_EQ(g_port.Open(nullptr, kPort, 9600, 'N', 8, 1, 0x49), 1);
    }
    static void TearDownTestSuite()
    {
        const CTimeScaleScope quickClose(0.01); // the close step only has to elapse
        g_port.Close();
        delete s_peer;
    }
    void SetUp() override
    {
        g_specialCode = 'E';
        s_peer->SetResponder(nullptr);
        s_peer->ClearRequests();
    }
    void TearDown() override { g_specialCode = 0; }

    static void Answer(std::function<std::string()> reply)
    {
        s_peer->SetResponder([reply](const std::string&, int) { return reply(); });
    }

    static inline CTestPeer* s_peer = nullptr;
};

TEST_F(ExchangeTest, AcceptanceTestsJudgeOnlyTheCharactersOfThisRead)
{
    struct Case
    {
        const char* name;
        std::string reply;
        bool count, letters, lettersAck, validFrame, notRefused;
    };
    const Case cases[] = {
        {"acknowledged", AckReply(), true, true, true, true, true},
        {"refused", RefusalReply(), true, true, false, false, false},
        {"other letters", ValueReply(), true, false, false, false, true},
        {"acknowledged, wrong checksum", WithWrongChecksum(AckReply()), true, true, true, false, true},
    };
    BuildWriteRequest();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int count = static_cast<int>(c.reply.size());
        PutReply(c.reply, count);
        EXPECT_TRUE(Accepts(Acceptance::None, count, 5));
        EXPECT_EQ(Accepts(Acceptance::Count, count, 5), c.count);
        EXPECT_EQ(Accepts(Acceptance::Letters, count, 5), c.letters);
        EXPECT_EQ(Accepts(Acceptance::LettersAck, count, 5), c.lettersAck);
        EXPECT_EQ(Accepts(Acceptance::ValidFrameLetters, count, 5), c.validFrame);
        EXPECT_EQ(Accepts(Acceptance::NotRefused, count, 5), c.notRefused);
    }

    // An empty read leaves the acknowledged reply's letters behind position 0.
    PutReply(AckReply(), 0);
    EXPECT_EQ(g_reply.Letter1(), 'F');
    EXPECT_TRUE(AcceptNone(0));
    EXPECT_FALSE(AcceptCount(0));
    EXPECT_FALSE(AcceptLetters(0));
    EXPECT_FALSE(AcceptLettersAck(0, 5));
    EXPECT_FALSE(AcceptValidFrameLetters(0, 5));
    EXPECT_FALSE(AcceptNotRefused(0, 5));

    // A reply cut off before its acknowledgement does not borrow an old one.
    g_request.BuildCharArg(255, 'F', 'R', '2');
    PutReply(MakeFrame([](CFrameBuffer& f) { f.BuildCharArg(255, 'F', 'R', 'F'); }), 5);
    EXPECT_TRUE(AcceptLetters(5));
    EXPECT_FALSE(AcceptLettersAck(5, 6));
    EXPECT_FALSE(AcceptNotRefused(5, 6));

    // A valid frame without an acknowledgement whose checksum starts with F
    // (address 0E: 0+E+F+5 sums to F0) is not acknowledged by its checksum.
    BuildWriteRequest();
    const std::string noAck = CTestPeer::Frame("0EF5F0");
    PutReply(noAck, static_cast<int>(noAck.size()));
    ASSERT_TRUE(g_reply.IsValidFrame());
    EXPECT_TRUE(AcceptLetters(static_cast<int>(noAck.size())));
    EXPECT_FALSE(AcceptLettersAck(static_cast<int>(noAck.size()), 5));
    EXPECT_FALSE(AcceptValidFrameLetters(static_cast<int>(noAck.size()), 5));
    EXPECT_FALSE(AcceptNotRefused(static_cast<int>(noAck.size()), 5));

    // Nor by what the same read brought after the frame: a frame with only
    // its letters, then the start of the next frame.
    const std::string lettersOnly = CTestPeer::Frame("FFF5") + "\x02" "FFF";
    PutReply(lettersOnly, static_cast<int>(lettersOnly.size()));
    EXPECT_TRUE(AcceptLetters(static_cast<int>(lettersOnly.size())));
    EXPECT_FALSE(AcceptLettersAck(static_cast<int>(lettersOnly.size()), 5));
    EXPECT_FALSE(AcceptNotRefused(static_cast<int>(lettersOnly.size()), 5));
}

TEST_F(ExchangeTest, PromptReplyLandsInGReplyWhileTheMonitorThreadKeepsOff)
{
    std::atomic<int> busyWhenAsked{-1};
    s_peer->SetResponder([&](const std::string&, int) {
        busyWhenAsked = g_port.m_busy.load();
        return ValueReply();
    });
    EXPECT_TRUE(CExchange::Run({.build = BuildValueRequest, .maxCount = 20, .test = Acceptance::ValidFrameLetters}));
    EXPECT_EQ(std::string(g_reply.Data()), ValueReply());
    EXPECT_EQ(s_peer->Requests(), std::vector<std::string>{g_request.Data()});
    EXPECT_EQ(busyWhenAsked, 1);
    EXPECT_EQ(g_port.m_busy, 0);

    {
        const CBusyScope chain;
        EXPECT_TRUE(CExchange::Run({.build = BuildValueRequest, .test = Acceptance::Letters}));
        EXPECT_EQ(g_port.m_busy, 1) << "an exchange inside a chain released the port";
    }
    EXPECT_EQ(g_port.m_busy, 0);
}

TEST_F(ExchangeTest, WrongChecksumPassesTheLettersTestButNotTheValidFrameTest)
{
    Answer([] { return WithWrongChecksum(ValueReply()); });
    EXPECT_TRUE(CExchange::Run({.build = BuildValueRequest, .test = Acceptance::Letters}));
    EXPECT_FALSE(CExchange::Run({.build = BuildValueRequest, .test = Acceptance::ValidFrameLetters}));
}

TEST_F(ExchangeTest, LeastReplyLengthCountsTheFrameNotWhatFollowsIt)
{
    // ValueReply is 11 characters: STX, address, letters, one byte, code, checksum, ETX.
    const int valueReplyLength = static_cast<int>(ValueReply().size());
    const CExchange::Request read{.build = BuildValueRequest, .test = Acceptance::ValidFrameLetters,
                                  .minCount = valueReplyLength + 2};
    Answer([] { return ValueReply() + "\x02" "FF"; });
    EXPECT_FALSE(CExchange::Run(read)) << "the next frame's start made the reply long enough";
    Answer([] { return MakeFrame([](CFrameBuffer& f) { f.BuildTextArg(255, 'A', '5', "2A00"); }) + "junk"; });
    EXPECT_TRUE(CExchange::Run(read));
}

TEST_F(ExchangeTest, RetriesUntilAcceptedAndGivesUpAfterTheLastAttempt)
{
    int asked = 0;
    Answer([&] { return ++asked == 1 ? ValueReply() : AckReply(); });
    EXPECT_TRUE(CExchange::Run({.build = BuildWriteRequest, .test = Acceptance::LettersAck, .ackPos = 5, .attempts = 2}));
    EXPECT_EQ(s_peer->Requests().size(), 2u);

    s_peer->ClearRequests();
    Answer(RefusalReply);
    EXPECT_FALSE(CExchange::Run({.build = BuildWriteRequest, .test = Acceptance::LettersAck, .ackPos = 5, .attempts = 3}));
    EXPECT_EQ(s_peer->Requests().size(), 3u);
}

// After an unaccepted try the next waits its pause on top of the read: the
// controller never gets the next request sooner (a lower bound, measured at
// the controller's side, with half the pause spared for its timing).
TEST_F(ExchangeTest, NextTryWaitsThePauseAfterAFailedOne)
{
    const CTimeScaleScope fullScale(1.0);
    constexpr int kWaitMs = 50;
    constexpr int kPauseMs = 200;
    constexpr int kReadPollMs = 80;
    Answer(RefusalReply);
    EXPECT_FALSE(CExchange::Run({.build = BuildWriteRequest, .waitMs = kWaitMs, .test = Acceptance::LettersAck,
                                 .ackPos = 5, .attempts = 2, .pauseAfterFailureMs = kPauseMs}));
    ASSERT_EQ(s_peer->Requests().size(), 2u);
    EXPECT_GE(s_peer->ShortestRequestGapMs(), kWaitMs + kReadPollMs + kPauseMs / 2);
}

TEST_F(ExchangeTest, SilentControllerFailsDespiteTheLettersOfAnEarlierReply)
{
    const std::string earlier = ValueReply();
    PutReply(earlier, static_cast<int>(earlier.size()));
    EXPECT_FALSE(CExchange::Run({.build = BuildValueRequest, .test = Acceptance::Letters, .attempts = 2}));
    EXPECT_EQ(s_peer->Requests().size(), 2u);
    // Read cleared only position 0.
    EXPECT_EQ(g_reply.Data()[0], 0);
    EXPECT_EQ(g_reply.Letter1(), 'A');
    EXPECT_EQ(g_reply.Letter2(), '5');
}

// A request that cannot be written (port closed, device gone) fails each
// attempt at once instead of waiting for a reply that cannot come.
TEST_F(ExchangeTest, UnwritableRequestFailsAtOnce)
{
    g_port.Close();
    const CTimeScaleScope fullScale(1.0);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(CExchange::Run({.build = BuildValueRequest, .test = Acceptance::Letters, .attempts = 2}));
    EXPECT_LT(clock.elapsed(), 1000) << "two attempts would wait 3.3 s";
    EXPECT_TRUE(g_port.LastWriteFailed());
    ASSERT_EQ(g_port.Open(nullptr, kPort, 9600, 'N', 8, 1, 0x49), 1);
}

class CPaintCounter : public QWidget
{
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

// Sleeps until the window has repainted and the timer has fired: each comes
// while Sleep waits, never in between.
TEST_F(ExchangeTest, SleepKeepsTheWindowPaintingAndTimersRunning)
{
    CPaintCounter window;
    window.show();
    CExchange::Sleep(50);
    const int paintsBefore = window.paints;
    bool timerFired = false;
    QTimer::singleShot(10, [&] { timerFired = true; });
    window.update();
    for (int sleeps = 0; sleeps < 200 && !(timerFired && window.paints > paintsBefore); ++sleeps)
        CExchange::Sleep(100);
    EXPECT_GT(window.paints, paintsBefore);
    EXPECT_TRUE(timerFired);
}

} // namespace

namespace {

// The late reply of an earlier request (here a clock poll's), and a fault report.
std::string LateClockReply() { return MakeFrame([](CFrameBuffer& f) { f.BuildCommand(255, 'A', '9'); }); }
std::string FaultReport() { return MakeFrame([](CFrameBuffer& f) { f.BuildCharArg(255, 'E', 'R', '7'); }); }

// Sets the fast line for its scope.
class CFastLineScope
{
public:
    explicit CFastLineScope(bool on) { CFastLine::SetEnabled(on); }
    ~CFastLineScope() { CFastLine::SetEnabled(false); }
};

} // namespace

// An exchange takes the frame with its own letters and passes over one with
// other letters that comes first, at the designed pace and on the fast line;
// when its own never comes, it judges the foreign one as designed.
TEST_F(ExchangeTest, FrameWithOtherLettersIsPassedOverForTheRequestsOwn)
{
    struct Case
    {
        const char* name;
        std::string first;  // sent at once
        std::string second; // sent 20 ms later
        Acceptance test;
        bool accepted;
        char letter2; // of the reply the exchange ends with
        size_t fastRequests; // a reply missed on the fast line is asked for again at the designed pace
    };
    const Case cases[] = {
        {"late reply, then its own", LateClockReply(), ValueReply(), Acceptance::ValidFrameLetters, true, '5', 1},
        {"fault report and its own at once", FaultReport() + ValueReply(), "", Acceptance::Letters, true, '5', 1},
        {"only a late reply, letters tested", LateClockReply(), "", Acceptance::Letters, false, '9', 2},
        {"only a late reply, count tested", LateClockReply(), "", Acceptance::Count, true, '9', 1},
    };
    for (const bool fast : {false, true})
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (fast ? ", fast line" : ""));
            const CFastLineScope line(fast);
            s_peer->SetResponder([&c](const std::string&, int) {
                if (!c.second.empty())
                    QTimer::singleShot(20, [second = c.second] { s_peer->Send(second); });
                return c.first;
            });
            s_peer->ClearRequests();
            EXPECT_EQ(CExchange::Run({.build = BuildValueRequest, .test = c.test}), c.accepted);
            EXPECT_EQ(g_reply.Letter2(), c.letter2);
            EXPECT_EQ(s_peer->Requests().size(), fast ? c.fastRequests : 1u);
        }
}
