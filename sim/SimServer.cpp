#include "sim/SimServer.h"

#include "sim/SimController.h"
#include "sim/SimPortLink.h"
#include "sim/SimPty.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr auto kDeferredCommandDelay = std::chrono::seconds(2);

int MsUntil(std::chrono::steady_clock::time_point now, std::chrono::steady_clock::time_point due)
{
    using namespace std::chrono;
    if (due <= now)
        return 0;
    // Rounded up, so the loop does not wake a moment too early and spin.
    return static_cast<int>(duration_cast<milliseconds>(due - now + milliseconds(1) - nanoseconds(1)).count());
}

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
        if (poll(fds, 5, PollTimeoutMs(Clock::now())) < 0 && errno != EINTR)
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
        SendDue(now);
        const std::lock_guard lock(m_modelLock);
        m_stopping = m_stopping || m_console.QuitRequested();
    }
}

int CSimServer::PollTimeoutMs(Clock::time_point now) const
{
    int timeout = -1;
    for (const Outgoing& outgoing : m_outgoing)
        timeout = timeout < 0 ? MsUntil(now, outgoing.due) : std::min(timeout, MsUntil(now, outgoing.due));
    if (m_deferredDue)
        timeout = timeout < 0 ? MsUntil(now, *m_deferredDue) : std::min(timeout, MsUntil(now, *m_deferredDue));
    return timeout;
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
    char bytes[4096];
    ssize_t count;
    while ((count = read(m_pty.MasterFd(), bytes, sizeof bytes)) > 0)
        for (ssize_t i = 0; i < count; ++i)
            if (m_assembler.Feed(bytes[i]))
                Answer(m_assembler.FrameBytes(), now);
}

void CSimServer::Answer(const std::string& frame, Clock::time_point now)
{
    const std::lock_guard lock(m_modelLock);
    m_trace.Received(frame);
    if (!m_firstRequestSeen && !m_deferredCommands.empty())
        m_deferredDue = now + kDeferredCommandDelay;
    m_firstRequestSeen = true;
    std::string reply = m_controller.HandleRequest(frame, m_pty.LineBaud());
    if (!reply.empty())
        m_outgoing.push_back({now + std::chrono::milliseconds(m_controller.ReplyDelayMs()), std::move(reply)});
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
    m_outgoing.clear();
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
    std::stable_sort(m_outgoing.begin(), m_outgoing.end(),
                     [](const Outgoing& a, const Outgoing& b) { return a.due < b.due; });
    while (!m_outgoing.empty() && m_outgoing.front().due <= now) {
        Send(m_outgoing.front().bytes);
        m_outgoing.erase(m_outgoing.begin());
    }
}

void CSimServer::Send(const std::string& bytes)
{
    m_trace.Sent(bytes);
    size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = write(m_pty.MasterFd(), bytes.data() + sent, bytes.size() - sent);
        if (count <= 0)
            break; // the line's queue is full: nobody reads it, the rest is lost
        sent += static_cast<size_t>(count);
    }
}
