// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimTestHelpers.h"
#include "TempConfigHome.h"

#include "sim/SimConsole.h"
#include "sim/SimPortLink.h"
#include "sim/SimPty.h"
#include "sim/SimServer.h"
#include "sim/SimTrace.h"

#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

// The simulator served in a thread, and the line opened on the other side the
// way the tool opens it.
class SimLineTest : public SimTest
{
protected:
    void SetUp() override
    {
        SimTest::SetUp();
        ASSERT_TRUE(m_pty.IsOpen()) << m_pty.Error();
        m_server.SetTrace(true);
        m_thread = std::thread([this] { m_server.Run(); });
        m_line = open(m_pty.DevicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(m_line, 0);
    }
    void TearDown() override
    {
        StopServer();
        if (m_line >= 0)
            close(m_line);
        SimTest::TearDown();
    }

    void StopServer()
    {
        if (!m_thread.joinable())
            return;
        m_server.Stop();
        m_thread.join();
    }
    void SetBaud(speed_t speed)
    {
        termios tio{};
        tcgetattr(m_line, &tio);
        cfmakeraw(&tio);
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        tcsetattr(m_line, TCSANOW, &tio);
    }
    // Writes the request and collects the reply up to its ETX, or what came
    // within the time.
    std::string Exchange(const CFrameBuffer& request, int timeoutMs = 1000)
    {
        tcflush(m_line, TCIOFLUSH);
        EXPECT_EQ(write(m_line, request.Data(), request.Length()), request.Length());
        std::string reply;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (reply.empty() || reply.back() != ETX) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
            pollfd fd{m_line, POLLIN, 0};
            if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0)
                break;
            char bytes[256];
            const ssize_t count = read(m_line, bytes, sizeof bytes);
            if (count > 0)
                reply.append(bytes, static_cast<size_t>(count));
        }
        return reply;
    }

    CSimPty m_pty;
    std::ostringstream m_output;
    CSimServer m_server{m_sim, m_pty, m_output};
    std::thread m_thread;
    int m_line = -1;
};

TEST_F(SimLineTest, AnswersOverThePseudoTerminalAtTheLinesBaudRate)
{
    CFrameBuffer status;
    status.BuildCommand(255, 'A', '0');
    CFrameBuffer floorCount;
    floorCount.BuildByteArg(255, 'A', '5', 11);

    SetBaud(B9600);
    std::string reply = Exchange(status);
    EXPECT_TRUE(IsValid(reply));
    EXPECT_EQ(reply.substr(3, 2), "A0");
    EXPECT_EQ(Hex4(Exchange(floorCount), 7), 16);

    SetBaud(B38400); // the door machine's rate: its F11, and no status
    EXPECT_EQ(Exchange(status, 300), "");
    EXPECT_EQ(Hex4(Exchange(floorCount), 7), 800);

    SetBaud(B19200);
    EXPECT_EQ(Exchange(floorCount, 300), "");

    // The line survives the tool closing and reopening it.
    close(m_line);
    m_line = open(m_pty.DevicePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    SetBaud(B9600);
    EXPECT_TRUE(IsValid(Exchange(status)));

    StopServer();
    EXPECT_NE(m_output.str().find(" <- <STX>FFA0E42<ETX>\n"), std::string::npos);
    EXPECT_NE(m_output.str().find(" -> <STX>FFA0"), std::string::npos);
}

TEST_F(SimLineTest, SendsRepliesAfterTheLatencyAndNothingForBadChecksums)
{
    SetBaud(B9600);
    CFrameBuffer status;
    status.BuildCommand(255, 'A', '0');
    status.Data()[6] = status.Data()[6] == '0' ? '1' : '0';
    EXPECT_EQ(Exchange(status, 300), "");

    m_server.Execute("latency 300");
    status.BuildCommand(255, 'A', '0');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(IsValid(Exchange(status)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(290));
}

bool OpensWithin(const std::string& path, bool opens, int timeoutMs = 3000)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    do {
        const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0)
            close(fd);
        if ((fd >= 0) == opens)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

// Pulled like a USB adapter: the tool's open line hangs up and the device
// under the port entry is gone; plugged in again, the same entry names a new
// device that answers.
TEST_F(SimLineTest, UnplugAndReplugPutANewDeviceUnderThePortEntry)
{
    CTempConfigHome home;
    CSimPortLink link(2, m_pty.DevicePath());
    ASSERT_TRUE(link.IsMade()) << link.Error();
    m_server.SetPortLink(&link);
    m_server.Execute("latency 400"); // a reply still due when the line goes
    SetBaud(B9600);
    CFrameBuffer status;
    status.BuildCommand(255, 'A', '0');
    ASSERT_EQ(write(m_line, status.Data(), status.Length()), status.Length());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));

    EXPECT_EQ(m_server.Execute("unplug"), "ok\n");
    EXPECT_EQ(m_server.Execute("unplug"), "the line is unplugged already\n");
    pollfd fd{m_line, POLLIN, 0};
    ASSERT_EQ(poll(&fd, 1, 3000), 1);
    EXPECT_TRUE(fd.revents & POLLHUP) << "the tool's line hangs up";
    close(m_line); // as the tool does; the simulator alone keeps the number now
    m_line = -1;
    EXPECT_TRUE(OpensWithin(link.Path(), false)) << "the device is still there";
    // Another program's new pseudo-terminal meanwhile never gets the number
    // the dangling entry names.
    CSimPty other;
    char named[64] = {};
    ASSERT_GT(readlink(link.Path().c_str(), named, sizeof named - 1), 0);
    EXPECT_NE(other.DevicePath(), named);
    EXPECT_EQ(m_server.Execute("status").find("silent on"), std::string::npos) << "the console still answers";

    EXPECT_EQ(m_server.Execute("replug"), "ok\n");
    ASSERT_TRUE(OpensWithin(link.Path(), true));
    m_line = open(link.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(m_line, 0);
    SetBaud(B9600);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    pollfd early{m_line, POLLIN, 0};
    EXPECT_EQ(poll(&early, 1, 0), 0) << "a reply due before the pull came out on the new line";
    m_server.Execute("latency 0");
    EXPECT_TRUE(IsValid(Exchange(status))) << "the new device answers";
    EXPECT_EQ(m_server.Execute("replug"), "the line is plugged in already\n");

    StopServer();
    EXPECT_NE(m_output.str().find("velor-sim: line unplugged\n"), std::string::npos);
    EXPECT_NE(m_output.str().find("velor-sim: plugged in again on /dev/pts/"), std::string::npos);
    EXPECT_NE(m_output.str().find("linked as " + link.Path()), std::string::npos);
}

TEST(SimPortLinkTest, LinksThePortAndNeverReplacesAnEntryItDidNotMake)
{
    CTempConfigHome home;
    const std::string folder = home.Path().toStdString() + "/velor/ports";
    EXPECT_EQ(CSimPortLink::PortsFolder(), folder);
    {
        CSimPortLink link(3, "/dev/pts/77");
        ASSERT_TRUE(link.IsMade()) << link.Error();
        char target[64] = {};
        ASSERT_GT(readlink((folder + "/COM3").c_str(), target, sizeof target - 1), 0);
        EXPECT_STREQ(target, "/dev/pts/77");

        CSimPortLink second(3, "/dev/pts/78");
        EXPECT_FALSE(second.IsMade());
    }
    struct stat entry;
    EXPECT_NE(lstat((folder + "/COM3").c_str(), &entry), 0); // removed on destruction

    ASSERT_EQ(symlink("/dev/ttyUSB0", (folder + "/COM4").c_str()), 0);
    {
        CSimPortLink link(4, "/dev/pts/77");
        EXPECT_FALSE(link.IsMade());
    }
    EXPECT_EQ(lstat((folder + "/COM4").c_str(), &entry), 0); // someone else's link stays
}

// A simulator killed hard leaves its link to a pseudo-terminal behind; the
// next one replaces it, while a running simulator's link and others stay.
TEST(SimPortLinkTest, ReplacesTheStaleLinkOfAKilledSimulatorOnly)
{
    CTempConfigHome home;
    const std::string folder = home.Path().toStdString() + "/velor/ports";
    std::filesystem::create_directories(folder);
    ASSERT_EQ(symlink("/dev/pts/77", (folder + "/COM5").c_str()), 0);
    {
        CSimPortLink link(5, "/dev/pts/78");
        ASSERT_TRUE(link.IsMade()) << link.Error();
        char target[64] = {};
        ASSERT_GT(readlink((folder + "/COM5").c_str(), target, sizeof target - 1), 0);
        EXPECT_STREQ(target, "/dev/pts/78");

        CSimPortLink second(5, "/dev/pts/79");
        EXPECT_FALSE(second.IsMade()) << "the running simulator keeps its port";
    }
    std::ofstream(folder + "/COM6") << "a file";
    CSimPortLink overFile(6, "/dev/pts/78");
    EXPECT_FALSE(overFile.IsMade());
}

// While the simulator's line is unplugged somebody links the port to a real
// adapter: the simulator does not replace that link. A removed entry is made
// again.
TEST(SimPortLinkTest, LinkTakenWhileUnpluggedIsLeftAlone)
{
    CTempConfigHome home;
    CSimPortLink link(7, "/dev/pts/77");
    ASSERT_TRUE(link.IsMade()) << link.Error();
    ASSERT_EQ(unlink(link.Path().c_str()), 0);
    ASSERT_EQ(symlink("/dev/ttyUSB0", link.Path().c_str()), 0);
    EXPECT_FALSE(link.Relink("/dev/pts/78"));
    char target[64] = {};
    ASSERT_GT(readlink(link.Path().c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "/dev/ttyUSB0");

    ASSERT_EQ(unlink(link.Path().c_str()), 0);
    EXPECT_TRUE(link.Relink("/dev/pts/78")) << link.Error();
    EXPECT_TRUE(link.Relink("/dev/pts/79")) << "a link of its own is replaced in one step";
    std::fill(std::begin(target), std::end(target), 0);
    ASSERT_GT(readlink(link.Path().c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "/dev/pts/79");
}

TEST_F(SimTest, ConsoleCommandsSetTheMisbehaviourAndSendUnaskedFrames)
{
    std::ostringstream out;
    CSimTrace trace(out);
    std::vector<std::string> sent;
    CSimConsole console(m_sim, trace, [&sent](const std::string& bytes) { sent.push_back(bytes); });

    EXPECT_EQ(console.Execute("silent on"), "ok\n");
    EXPECT_TRUE(m_sim.Misbehaviour().silent);
    EXPECT_EQ(console.Execute("latency 200"), "ok\n");
    EXPECT_EQ(m_sim.Misbehaviour().latencyMs, 200);
    EXPECT_EQ(console.Execute("badsum 0.25"), "ok\n");
    EXPECT_EQ(m_sim.Misbehaviour().badChecksumFraction, 0.25);
    EXPECT_EQ(console.Execute("wrongletters 0.1"), "ok\n");
    EXPECT_EQ(console.Execute("refuse on"), "ok\n");
    EXPECT_TRUE(m_sim.Misbehaviour().refuseWrites);
    EXPECT_EQ(console.Execute("garbage on"), "ok\n");
    EXPECT_EQ(console.Execute("mode inspection"), "ok\n");
    EXPECT_EQ(m_sim.MainBoard().GetMode(), CSimMainBoard::Mode::Inspection);
    EXPECT_EQ(console.Execute("call up 4"), "ok\n");
    EXPECT_TRUE(m_sim.MainBoard().Car().HasCall(CSimCar::UpCall, 4));

    EXPECT_EQ(console.Execute("fault 23"), "ok\n");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].substr(3, 1), "E");
    EXPECT_EQ(sent[0].substr(14, 2), "23");
    EXPECT_EQ(console.Execute("overlong"), "ok\n");
    EXPECT_EQ(sent.size(), 2u);

    // Wrong values change nothing.
    EXPECT_NE(console.Execute("badsum 2"), "ok\n");
    EXPECT_EQ(m_sim.Misbehaviour().badChecksumFraction, 0.25);
    EXPECT_NE(console.Execute("latency soon"), "ok\n");
    EXPECT_NE(console.Execute("fault 0"), "ok\n");
    EXPECT_NE(console.Execute("silent maybe"), "ok\n");
    EXPECT_EQ(sent.size(), 2u);

    EXPECT_NE(console.Execute("status").find("mode inspection"), std::string::npos);
    EXPECT_NE(console.Execute("help").find("wrongletters"), std::string::npos);
    EXPECT_FALSE(console.QuitRequested());
    console.Execute("quit");
    EXPECT_TRUE(console.QuitRequested());
}

} // namespace
