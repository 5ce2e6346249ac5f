// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/FrameBuffer.h"
#include "link/LinkHooks.h"
#include "link/PortChannel.h"
#include "link/TimeScale.h"
#include "tests/EventLoopHelpers.h"
#include "tests/MessageBoxRecorder.h"
#include "tests/TestPeer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdlib>
#include <sys/resource.h>

namespace {

constexpr int kPort = 7;
constexpr unsigned kEventMask = 0x49;

// The owner window's side: records each byte handed over.
class CRxRecorder : public QObject
{
    Q_OBJECT
public:
    Q_INVOKABLE void OnCommRxChar(int byte, int portNumber)
    {
        bytes.push_back(static_cast<char>(byte));
        ports.push_back(portNumber);
    }
    std::string bytes;
    std::vector<int> ports;
};

// Serves events until done() holds or the time is up.
bool ServeEventsUntil(const std::function<bool()>& done, int timeoutMs = 2000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return done();
}

void ServeEventsFor(int ms)
{
    ServeEventsUntil([] { return false; }, ms);
}

// Gives the pseudo-terminal time to pass bytes written on one side to the other.
void LetBytesArrive()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

// Counts the waits of Read's polls (every wait on this thread while it
// lives) and runs an action at the start of each, given the poll's number.
class CReadPolls
{
public:
    explicit CReadPolls(std::function<void(int poll)> atPoll = {})
        : m_atPoll(std::move(atPoll))
        , m_previous(CLinkHooks::SetWaitHandler([this](int ms) { Wait(ms); }))
    {
    }
    ~CReadPolls() { CLinkHooks::SetWaitHandler(m_previous); }
    CReadPolls(const CReadPolls&) = delete;
    CReadPolls& operator=(const CReadPolls&) = delete;
    int Count() const { return m_count; }

private:
    void Wait(int ms)
    {
        if (m_atPoll)
            m_atPoll(++m_count);
        else
            ++m_count;
        if (m_previous)
            m_previous(ms);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    }

    std::function<void(int)> m_atPoll;
    CLinkHooks::WaitHandler m_previous;
    int m_count = 0;
};

// Aborts the test program if the guarded code does not finish in time, so a
// deadlock fails loudly instead of hanging the run.
class CDeadlockGuard
{
public:
    explicit CDeadlockGuard(int seconds)
        : m_thread([this, seconds] {
              std::unique_lock lock(m_mutex);
              if (!m_done.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_finished; })) {
                  fprintf(stderr, "deadlock: guarded code did not finish in %d s\n", seconds);
                  std::abort();
              }
          })
    {
    }
    ~CDeadlockGuard()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_one();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

class PortChannelTest : public ::testing::Test
{
protected:
    int OpenChannel(int baud = 9600) { return channel.Open(&owner, kPort, baud, 'N', 8, 1, kEventMask); }
    QString LinkPath() const { return peer.ConfigHome() + QString("/velor/ports/COM%1").arg(kPort); }

    CTestPeer peer{kPort};
    CRxRecorder owner;
    CMessageBoxRecorder boxes;
    CFrameBuffer reply;
    CPortChannel channel; // closed before the peer goes away
};

TEST_F(PortChannelTest, UnopenableDeviceFailsQuietlyAndKeepsTheReason)
{
    EXPECT_EQ(CPortChannel::DevicePath(kPort), LinkPath());
    EXPECT_EQ(CPortChannel::DevicePath(200), "/dev/ttyS199");
    EXPECT_EQ(channel.Open(&owner, 200, 9600, 'N', 8, 1, kEventMask), 0);
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_EQ(channel.LastOpenDevice(), "/dev/ttyS199");
    EXPECT_EQ(channel.LastOpenErrno(), ENOENT);

    // A dangling link still names the port the user chose.
    const QString dangling = peer.ConfigHome() + "/velor/ports/COM8";
    ASSERT_TRUE(QFile::link("/nonexistent/ttyUSB9", dangling));
    EXPECT_EQ(channel.Open(&owner, 8, 9600, 'N', 8, 1, kEventMask), 0);
    EXPECT_EQ(channel.LastOpenDevice(), dangling);
    EXPECT_EQ(channel.LastOpenErrno(), ENOENT);

    channel.Close(); // no monitor thread: returns at once
    ServeEventsFor(50);
    EXPECT_EQ(boxes.Count(), 0);
}

// A port link to a regular file or a folder is not a serial line: the open
// fails with the reason and the file is never written.
TEST_F(PortChannelTest, DeviceThatIsNoTerminalFailsToOpenAndIsNeverWritten)
{
    const QString userFile = peer.ConfigHome() + "/notes.txt";
    {
        QFile file(userFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("the user's own notes\n");
    }
    const QString link = peer.ConfigHome() + "/velor/ports/COM9";
    ASSERT_TRUE(QFile::link(userFile, link));
    EXPECT_EQ(channel.Open(&owner, 9, 9600, 'N', 8, 1, kEventMask), 0);
    EXPECT_FALSE(channel.IsOpen());
    EXPECT_EQ(channel.LastOpenErrno(), ENOTTY);
    const std::string request = CTestPeer::Frame("FFA0E42");
    EXPECT_FALSE(channel.Write(request.data(), static_cast<int>(request.size())));
    QFile file(userFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "the user's own notes\n");

    QFile::remove(link);
    ASSERT_TRUE(QFile::link(peer.ConfigHome(), link));
    EXPECT_EQ(channel.Open(&owner, 9, 9600, 'N', 8, 1, kEventMask), 0);
    EXPECT_NE(channel.LastOpenErrno(), 0);
    ServeEventsFor(20);
    EXPECT_EQ(boxes.Count(), 0) << "the caller reports it";
}

TEST_F(PortChannelTest, ConfiguresTheLineRawAndRestoresItsSettingsOnClose)
{
    // The test's own descriptor of the device, opened before the channel takes it.
    const int observer = open(QFileInfo(LinkPath()).symLinkTarget().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(observer, 0);
    termios before{};
    tcgetattr(observer, &before);
    {
        CPortChannel port;
        ASSERT_EQ(port.Open(&owner, kPort, 19200, 'E', 7, 2, kEventMask), 1);
        EXPECT_EQ(port.LastOpenErrno(), 0);
        termios line{};
        tcgetattr(observer, &line);
        // A pseudo-terminal keeps 8 data bits without parity whatever it is
        // told, so only the rest of the line settings shows here.
        EXPECT_EQ(cfgetospeed(&line), B19200);
        EXPECT_TRUE(line.c_cflag & CSTOPB);
        EXPECT_EQ(line.c_cflag & (CLOCAL | CREAD), CLOCAL | CREAD);
        EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(line.c_iflag & (ICRNL | IXON), 0u);
        EXPECT_EQ(line.c_oflag & OPOST, 0u);

        ASSERT_EQ(port.Open(&owner, kPort, 9600, 'O', 8, 1, kEventMask), 1);
        tcgetattr(observer, &line);
        EXPECT_EQ(cfgetospeed(&line), B9600);
        EXPECT_FALSE(line.c_cflag & CSTOPB);
    }
    termios after{};
    tcgetattr(observer, &after);
    EXPECT_EQ(after.c_cflag, before.c_cflag);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(after.c_iflag, before.c_iflag);
    close(observer);
    EXPECT_EQ(boxes.Count(), 0);
}

TEST_F(PortChannelTest, ConfigurationFailureIsReportedAndThePortStaysOpen)
{
    EXPECT_EQ(OpenChannel(12345), 1);
    EXPECT_TRUE(channel.IsOpen());
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_EQ(boxes.Calls()[0].text, "WARNING:  BuildCommDCB() Failed with the following error: \n"
                                     "Invalid argument\nPort: 7\n");
    EXPECT_EQ(boxes.Calls()[0].caption, "Application Error");
    EXPECT_TRUE(boxes.Calls()[0].flags & MB_ICONERROR);
}

TEST_F(PortChannelTest, SecondOpenerIsRefusedUntilTheFirstLetsGo)
{
    {
        CPortChannel first;
        ASSERT_EQ(first.Open(&owner, kPort, 9600, 'N', 8, 1, kEventMask), 1);
        CPortChannel second;
        EXPECT_EQ(second.Open(&owner, kPort, 9600, 'N', 8, 1, kEventMask), 0);
        EXPECT_FALSE(second.IsOpen());
        EXPECT_EQ(second.LastOpenDevice(), LinkPath());
        EXPECT_EQ(second.LastOpenErrno(), EBUSY);
    }
    EXPECT_EQ(OpenChannel(), 1);
}

TEST_F(PortChannelTest, HandsOverEveryByteInOrderOnlyWhileNoExchangeRuns)
{
    ASSERT_EQ(OpenChannel(), 1);
    const std::string frame = CTestPeer::Frame("FFA0123456");
    peer.Send(frame);
    ASSERT_TRUE(ServeEventsUntil([&] { return owner.bytes.size() >= frame.size(); }));
    EXPECT_EQ(owner.bytes, frame);
    EXPECT_EQ(owner.ports, std::vector<int>(frame.size(), kPort));

    channel.m_busy = 1;
    peer.Send("xyz");
    ServeEventsFor(300);
    EXPECT_EQ(owner.bytes, frame);
    EXPECT_EQ(channel.Read(reply.Data(), 3), 3); // left in the queue for Read
    EXPECT_STREQ(reply.Data(), "xyz");

    channel.m_busy = 0;
    peer.Send("Q");
    ASSERT_TRUE(ServeEventsUntil([&] { return owner.bytes.size() > frame.size(); }));
    EXPECT_EQ(owner.bytes, frame + "Q");
}

// Bytes already on their way to the owner when an exchange begins are not
// delivered: they would reach a page in the middle of the exchange.
TEST_F(PortChannelTest, ByteForwardedJustAsAnExchangeBeginsIsNotDelivered)
{
    ASSERT_EQ(OpenChannel(), 1);
    peer.Send("ab");
    // The monitor thread has posted the bytes and waits for the owner's thread.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    channel.m_busy = 1;
    ServeEventsFor(50);
    channel.m_busy = 0;
    EXPECT_EQ(owner.bytes, "");

    peer.Send("c");
    ASSERT_TRUE(ServeEventsUntil([&] { return !owner.bytes.empty(); }));
    EXPECT_EQ(owner.bytes, "c");
}

// An owner that cannot take bytes is reported at open, not found out later
// by every byte going missing.
TEST_F(PortChannelTest, OwnerWithoutOnCommRxCharIsReportedAtOpen)
{
    QObject deaf;
    EXPECT_EQ(channel.Open(&deaf, kPort, 9600, 'N', 8, 1, kEventMask), 1);
    ServeEventsFor(20);
    ASSERT_EQ(boxes.Count(), 1);
    EXPECT_TRUE(boxes.Texts()[0].contains("OnCommRxChar")) << boxes.Texts()[0].toStdString();

    boxes.Clear();
    EXPECT_EQ(OpenChannel(), 1);
    EXPECT_EQ(channel.Open(nullptr, kPort, 9600, 'N', 8, 1, kEventMask), 1) << "no owner: nothing to deliver to";
    ServeEventsFor(20);
    EXPECT_EQ(boxes.Count(), 0);
}

// Input left from an earlier request is discarded, but not a command written
// just before that nobody waits for.
TEST_F(PortChannelTest, WriteDiscardsInputLeftFromAnEarlierRequestButNotEarlierOutput)
{
    ASSERT_EQ(OpenChannel(), 1);
    channel.m_busy = 1;
    peer.Send(CTestPeer::Frame("FFA5LATE"));
    LetBytesArrive();

    const std::string command = CTestPeer::Frame("FFFR1");
    const std::string request = CTestPeer::Frame("FFA50B");
    peer.SetResponder([](const std::string& frame, int) { return frame[3] == 'A' ? CTestPeer::Frame("FFA5NEW") : ""; });
    EXPECT_TRUE(channel.Write(command.data(), static_cast<int>(command.size())));
    EXPECT_TRUE(channel.Write(request.data(), static_cast<int>(request.size())));
    ASSERT_TRUE(peer.WaitForRequests(2));
    EXPECT_EQ(peer.Requests(), (std::vector<std::string>{command, request}));
    LetBytesArrive();
    EXPECT_EQ(channel.Read(reply.Data(), 20), 9);
    EXPECT_EQ(std::string(reply.Data()), CTestPeer::Frame("FFA5NEW"));
}

TEST_F(PortChannelTest, ReadStopsAtAnEtxOfThisCallOrAtAFullPoll)
{
    ASSERT_EQ(OpenChannel(), 1);
    channel.m_busy = 1;
    // An older, longer reply whose ETX lies beyond the new one's first part.
    reply.SetText(CTestPeer::Frame("FFA60123456789").c_str());
    peer.Send("\x02" "FFA5");
    LetBytesArrive();
    {
        const CReadPolls polls([&](int poll) {
            if (poll == 2) { // the rest arrives after the first poll took the start
                peer.Send("0B12\x03");
                LetBytesArrive();
            }
        });
        EXPECT_EQ(channel.Read(reply.Data(), 80), 10);
        EXPECT_EQ(polls.Count(), 2);
    }
    EXPECT_EQ(std::string(reply.Data()), CTestPeer::Frame("FFA50B12"));

    // One poll that delivers maxCount ends the read even without an ETX.
    peer.Send(std::string(30, 'x'));
    LetBytesArrive();
    EXPECT_EQ(channel.Read(reply.Data(), 20), 20);
    EXPECT_EQ(channel.Read(reply.Data(), 10), 10);
}

// A reply that has come whole is returned by the first poll, well before the
// read gives up (20 polls).
TEST_F(PortChannelTest, ReplyEndingInEtxIsReturnedByTheFirstPoll)
{
    const CTimeScaleScope fullScale(1.0);
    ASSERT_EQ(OpenChannel(), 1);
    channel.m_busy = 1;
    const std::string frame = CTestPeer::Frame("FFA50B12");
    peer.Send(frame);
    LetBytesArrive();
    const CReadPolls polls;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(channel.Read(reply.Data(), 80), static_cast<int>(frame.size()));
    EXPECT_LT(clock.elapsed(), 20 * 80 / 2); // half the give-up time
    EXPECT_EQ(polls.Count(), 1);
}

TEST_F(PortChannelTest, ReopenWhileTheMonitorThreadLivesKeepsOneThread)
{
    ASSERT_EQ(OpenChannel(), 1);
    ASSERT_EQ(OpenChannel(19200), 1);
    EXPECT_EQ(peer.Baud(), 19200);
    peer.Send("AB");
    ASSERT_TRUE(ServeEventsUntil([&] { return owner.bytes.size() >= 2; }));
    ServeEventsFor(100);
    EXPECT_EQ(owner.bytes, "AB");
}

TEST_F(PortChannelTest, VanishedDeviceIsReportedOnceWithoutSpinningAndTheNextOpenRecovers)
{
    ASSERT_EQ(OpenChannel(), 1);
    peer.CloseFarSide();
    ASSERT_TRUE(ServeEventsUntil([&] { return boxes.Count() > 0; }));
    EXPECT_EQ(boxes.Calls()[0].text, "WARNING:  ReadFile() Failed with the following error: \n"
                                     "Input/output error\nPort: 7\n");

    const double cpuBefore = ProcessCpuMs();
    ServeEventsFor(500);
    EXPECT_LT(ProcessCpuMs() - cpuBefore, 250.0) << "the monitor thread spins on the dead device";
    const std::string request = CTestPeer::Frame("FFA0E");
    EXPECT_FALSE(channel.Write(request.data(), static_cast<int>(request.size())));
    ServeEventsFor(50);
    EXPECT_EQ(boxes.Count(), 1);

    CTestPeer replugged(kPort); // the adapter is back, linked as the same port
    ASSERT_EQ(OpenChannel(), 1);
    replugged.Send("Z");
    ASSERT_TRUE(ServeEventsUntil([&] { return owner.bytes == "Z"; }));
    EXPECT_EQ(boxes.Count(), 1);
    channel.Open(&owner, 200, 9600, 'N', 8, 1, kEventMask); // let go before the replugged peer leaves
}

TEST_F(PortChannelTest, CloseAndReopenReturnWhileTheMonitorThreadWaitsForTheOwner)
{
    ASSERT_EQ(OpenChannel(), 1);
    {
        const CDeadlockGuard guard(10);
        // The owner's thread serves no events: the monitor thread waits in the
        // hand-over of "A" when the port is reopened, then of "C" when it closes.
        peer.Send("AB");
        LetBytesArrive();
        ASSERT_EQ(OpenChannel(), 1);
        peer.Send("C");
        ASSERT_TRUE(ServeEventsUntil([&] { return !owner.bytes.empty(); }));
        peer.Send("D");
        LetBytesArrive();
        channel.Close();
    }
    EXPECT_FALSE(channel.IsOpen());
    ServeEventsFor(100);
    EXPECT_EQ(owner.bytes, "C") << "bytes queued for the owner before the reopen or close were handed over";
}

} // namespace

#include "PortChannelTest.moc"
