// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimServer.h"

#include "sim/SimController.h"
#include "sim/SimPortLink.h"
#include "sim/SimPty.h"

#include "link/FrameBuffer.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <ctime>

namespace {

constexpr auto kDeferredCommandDelay = std::chrono::seconds(2);

// The bits of one character on the line: start bit, 8 data bits, stop bit.
constexpr long long kBitsPerCharacter = 10;

} // namespace

CSimServer::CSimServer(CSimController& controller, CSimPty& pty, std::ostream& out)
    : m_controller(controller)
    , m_pty(pty)
    , m_out(out)
    , m_trace(out)
    , m_console(controller, m_trace, [this](const std::string& bytes) { Send(bytes); })
    , m_modelTime(Clock::now())
{
    for (int* ends : {m_stopPipe, m_wakePipe})
        if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) < 0)
            ends[0] = ends[1] = -1;
    m_console.SetLineSwitch([this](bool plugIn) { return RequestLineSwitch(plugIn); });
}

CSimServer::~CSimServer()
{
    for (int fd : {m_stopPipe[0], m_stopPipe[1], m_wakePipe[0], m_wakePipe[1]})
        if (fd >= 0)
            close(fd);
}

void CSimServer::SetPortLink(CSimPortLink* link)
{
    const std::lock_guard lock(m_modelLock);
    m_link = link;
}

void CSimServer::Stop()
{
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = write(m_stopPipe[1], &byte, 1);
}

void CSimServer::Run()
{
    m_stopping = false;
    m_modelTime = Clock::now();
    while (!m_stopping) {
        pollfd fds[5] = {
            {m_stopPipe[0], POLLIN, 0},
            {m_pty.MasterFd(), POLLIN, 0},
            {m_pty.WatchFd(), POLLIN, 0},
            {m_commandFd, POLLIN, 0},
            {m_wakePipe[0], POLLIN, 0},
        };
        // To the microsecond: at 115200 baud a character takes 87 us.
        timespec timeout{};
        const std::optional<Clock::time_point> due = NextDue();
        if (due) {
            const auto left = std::max(Clock::duration::zero(), *due - Clock::now());
            const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
            timeout.tv_sec = static_cast<time_t>(seconds.count());
            timeout.tv_nsec = static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds).count());
        }
        if (ppoll(fds, 5, due ? &timeout : nullptr, nullptr) < 0 && errno != EINTR)
            break;
        const Clock::time_point now = Clock::now();
        AdvanceModel(now);
        if (fds[0].revents)
            m_stopping = true;
        if (fds[1].revents & POLLIN)
            ReadRequests(now);
        if (fds[2].revents)
            m_pty.HandleWatchEvents();
        if (fds[3].revents)
            ReadCommands();
        SwitchLine();
        if (m_deferredDue && *m_deferredDue <= now) {
            m_deferredDue.reset();
            for (const std::string& command : m_deferredCommands)
                RunCommand(command);
            m_deferredCommands.clear();
        }
        SendDue(Clock::now());
        const std::lock_guard lock(m_modelLock);
        m_stopping = m_stopping || m_console.QuitRequested();
    }
}

std::optional<CSimServer::Clock::time_point> CSimServer::NextDue() const
{
    std::optional<Clock::time_point> next = m_deferredDue;
    const auto take = [&next](Clock::time_point due) { next = next ? std::min(*next, due) : due; };
    if (m_sent < m_sending.size())
        take(m_nextCharacterDue);
    else {
        const std::lock_guard lock(m_outgoingLock);
        for (const Outgoing& outgoing : m_outgoing)
            take(outgoing.due);
    }
    return next;
}

CSimServer::Clock::duration CSimServer::CharacterTime() const
{
    const int baud = m_pty.LineBaud();
    if (baud <= 0)
        return {};
    return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(kBitsPerCharacter * 1'000'000'000LL / baud));
}

// The model lives in simulated time; it is brought up to the real time before
// anything looks at it, so it needs no timer of its own.
void CSimServer::AdvanceModel(Clock::time_point now)
{
    const std::lock_guard lock(m_modelLock);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - m_modelTime);
    if (elapsed.count() <= 0)
        return;
    m_controller.Tick(static_cast<int>(std::min<long long>(elapsed.count(), 1 << 30)));
    m_modelTime += elapsed;
}

void CSimServer::ReadRequests(Clock::time_point now)
{
    const Clock::duration character = CharacterTime();
    char bytes[4096];
    ssize_t count;
    while ((count = read(m_pty.MasterFd(), bytes, sizeof bytes)) > 0)
        for (ssize_t i = 0; i < count; ++i) {
            m_receivedUntil = std::max(now, m_receivedUntil) + character;
            if (!m_assembler.Feed(bytes[i]))
                continue;
            const std::string frame = m_assembler.FrameBytes();
            Answer(frame, m_receivedUntil - character * static_cast<long>(frame.size()), m_receivedUntil);
        }
}

void CSimServer::Answer(const std::string& frame, Clock::time_point start, Clock::time_point end)
{
    std::string reply;
    Clock::time_point due;
    {
        const std::lock_guard lock(m_modelLock);
        m_trace.Received(frame);
        if (!m_firstRequestSeen && !m_deferredCommands.empty())
            m_deferredDue = end + kDeferredCommandDelay;
        m_firstRequestSeen = true;
        // A controller that needs a pause after its reply does not even hear
        // a request that comes sooner.
        const int gapMs = m_controller.Misbehaviour().needsGapMs;
        if (gapMs > 0 && m_lastReplyEnd && start < *m_lastReplyEnd + std::chrono::milliseconds(gapMs))
            return;
        reply = m_controller.HandleRequest(frame, m_pty.LineBaud());
        due = end + std::chrono::milliseconds(m_controller.Options().turnaroundMs + m_controller.ReplyDelayMs());
    }
    if (!reply.empty())
        Queue(due, std::move(reply));
}

void CSimServer::Queue(Clock::time_point due, std::string bytes)
{
    {
        const std::lock_guard lock(m_outgoingLock);
        m_outgoing.push_back({due, std::move(bytes)});
    }
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = write(m_wakePipe[1], &byte, 1);
}

void CSimServer::ReadCommands()
{
    char bytes[1024];
    const ssize_t count = read(m_commandFd, bytes, sizeof bytes);
    if (count <= 0) {
        // End of input (or input that belongs to the terminal's foreground
        // job): keep serving without commands.
        if (count < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        m_commandFd = -1;
        return;
    }
    m_commandLine.append(bytes, static_cast<size_t>(count));
    size_t end;
    while ((end = m_commandLine.find('\n')) != std::string::npos) {
        const std::string line = m_commandLine.substr(0, end);
        m_commandLine.erase(0, end + 1);
        RunCommand(line);
        SwitchLine(); // typed unplug and replug each take effect, in order
    }
}

std::string CSimServer::Execute(const std::string& line)
{
    const std::lock_guard lock(m_modelLock);
    return m_console.Execute(line);
}

void CSimServer::RunCommand(const std::string& line)
{
    m_out << Execute(line) << std::flush;
}

// Runs under m_modelLock (a console command); the loop does the switch.
std::string CSimServer::RequestLineSwitch(bool plugIn)
{
    if (plugIn == m_plugged)
        return plugIn ? "the line is plugged in already\n" : "the line is unplugged already\n";
    m_plugged = plugIn;
    m_switchPending = !m_switchPending; // asked twice before the loop came round: nothing to do
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = write(m_wakePipe[1], &byte, 1);
    return "ok\n";
}

void CSimServer::SwitchLine()
{
    char drained[64];
    while (read(m_wakePipe[0], drained, sizeof drained) > 0) {
    }
    bool plugIn = false;
    CSimPortLink* link = nullptr;
    {
        const std::lock_guard lock(m_modelLock);
        if (!m_switchPending)
            return;
        m_switchPending = false;
        plugIn = m_plugged;
        link = m_link;
    }
    // Nothing sent or half received before the pull reaches the new line.
    {
        const std::lock_guard lock(m_outgoingLock);
        m_outgoing.clear();
    }
    m_sending.clear();
    m_sent = 0;
    m_assembler.DropFrame();
    if (!plugIn) {
        m_pty.Unplug();
        m_out << "velor-sim: line unplugged" << std::endl;
        return;
    }
    if (!m_pty.Replug()) {
        m_out << "velor-sim: no new line: " << m_pty.Error() << std::endl;
        const std::lock_guard lock(m_modelLock);
        m_plugged = false;
        return;
    }
    m_out << "velor-sim: plugged in again on " << m_pty.DevicePath();
    if (link && !link->Relink(m_pty.DevicePath()))
        m_out << ", but " << link->Error();
    else if (link)
        m_out << ", linked as " << link->Path();
    m_out << std::endl;
}

void CSimServer::SendDue(Clock::time_point now)
{
    while (m_sent < m_sending.size() || StartNextFrame(now)) {
        // The characters whose time has come go out together.
        size_t due = 0;
        while (m_sent + due < m_sending.size() && m_nextCharacterDue + m_characterTime * static_cast<long>(due) <= now)
            ++due;
        if (due == 0)
            return;
        const ssize_t count = write(m_pty.MasterFd(), m_sending.data() + m_sent, due);
        if (count <= 0) {
            m_sent = m_sending.size(); // the line's queue is full: nobody reads it, the rest is lost
            return;
        }
        m_sent += static_cast<size_t>(count);
        m_lineFreeAt = m_nextCharacterDue + m_characterTime * static_cast<long>(count - 1);
        m_nextCharacterDue = m_lineFreeAt + m_characterTime;
    }
}

bool CSimServer::StartNextFrame(Clock::time_point now)
{
    Outgoing next;
    {
        const std::lock_guard lock(m_outgoingLock);
        const auto first = std::min_element(m_outgoing.begin(), m_outgoing.end(),
                                            [](const Outgoing& a, const Outgoing& b) { return a.due < b.due; });
        if (first == m_outgoing.end() || first->due > now)
            return false;
        next = std::move(*first);
        m_outgoing.erase(first);
    }
    m_trace.Sent(next.bytes);
    m_sending = std::move(next.bytes);
    m_sent = 0;
    m_characterTime = CharacterTime();
    m_nextCharacterDue = std::max(next.due, m_lineFreeAt) + m_characterTime;
    m_lastReplyEnd = m_nextCharacterDue + m_characterTime * static_cast<long>(m_sending.size() - 1);
    return true;
}

void CSimServer::Send(const std::string& bytes)
{
    Queue(Clock::now(), bytes);
}
