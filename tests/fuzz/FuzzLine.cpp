// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/fuzz/FuzzLine.h"

#include "link/FrameBuffer.h"
#include "link/LineTap.h"
#include "link/LinkHooks.h"
#include "link/PortChannel.h"
#include "tests/TestPeer.h"
#include "tests/fuzz/FuzzHarness.h"

#include <QCoreApplication>
#include <QFile>

#include <chrono>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace {

// Long enough for a loaded machine; a line that stays short of the answer
// this long is a finding of the harness, not of the page.
constexpr auto kAnswerTimeout = std::chrono::seconds(5);

} // namespace

CFuzzLine& CFuzzLine::Instance()
{
    static CFuzzLine line;
    return line;
}

CFuzzLine::CFuzzLine()
{
    static CTestPeer peer;
    static QObject owner;
    // Opened before the tool's port, which keeps others out once it is open.
    m_watch = open(QFile::encodeName(peer.LinkPath()).constData(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    Require(m_watch >= 0, "the test line cannot be opened");
    g_specialCode = 'E';
    g_port.Open(&owner, 1, 9600, 'N', 8, 1, 0x49);
    Require(g_port.IsOpen(), "the port does not open");
    peer.SetResponder([this](const std::string&, int) { return Answer(); });
    CLineTap::SetListener([this](const CLineTap::Frame& frame) {
        if (frame.sent) {
            m_exchanges.push_back({std::string(frame.bytes), {}});
            ++m_sent;
        } else if (!m_exchanges.empty()) {
            m_exchanges.back().reply += frame.bytes;
        }
    });
    CLinkHooks::SetWaitHandler([this](int) { WaitForAnswer(); });
}

void CFuzzLine::Play(const uint8_t* data, size_t size)
{
    m_replies.clear();
    const std::string input(reinterpret_cast<const char*>(data), size);
    for (size_t start = 0; start <= input.size();) {
        const size_t end = std::min(input.find('\0', start), input.size());
        m_replies.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    m_next = 0;
    m_exchanges.clear();
}

// Runs on this thread (the peer hands its requests over through the events).
std::string CFuzzLine::Answer()
{
    ++m_answered;
    const std::string reply = m_next < m_replies.size() ? m_replies[m_next++] : std::string();
    m_answerLength = reply.size();
    return reply;
}

void CFuzzLine::WaitForAnswer()
{
    const auto deadline = std::chrono::steady_clock::now() + kAnswerTimeout;
    for (;;) {
        QCoreApplication::processEvents();
        if (m_delivered == m_sent)
            return;
        int queued = 0;
        if (m_answered >= m_sent && ioctl(m_watch, FIONREAD, &queued) == 0
            && static_cast<size_t>(queued) >= m_answerLength) {
            m_delivered = m_sent;
            return;
        }
        Require(std::chrono::steady_clock::now() < deadline, "the test line did not deliver an answer");
        std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
}

std::string RequestStart(const std::string& lettersAndData)
{
    return std::string(1, STX) + "FF" + lettersAndData;
}

std::string LastReplyTo(const std::vector<CFuzzLine::Exchange>& exchanges, const std::string& start, size_t begin,
                        size_t end)
{
    std::string reply;
    for (size_t i = begin; i < std::min(end, exchanges.size()); ++i)
        if (exchanges[i].request.compare(0, start.size(), start) == 0)
            reply = exchanges[i].reply;
    return reply;
}

CFrameBuffer AsRead(const std::string& bytes)
{
    CFrameBuffer frame;
    frame.SetText(bytes.c_str());
    return frame;
}

void PlayReplies(const uint8_t* data, size_t size, const std::function<std::string(const CFuzzLine&)>& talk)
{
    StartFuzzApplication();
    CFuzzLine& line = CFuzzLine::Instance();
    static const uint8_t kNoReply = 0;
    RequireReplyOnly(&kNoReply, 0, [&] {
        line.Play(data, size);
        return talk(line);
    });
}
