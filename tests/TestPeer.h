// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/ConfigFolder.h"
#include "link/FrameAssembler.h"
#include "link/LineSpeed.h"
#include "tests/TempConfigHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QObject>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

// The controller's side of a serial line for tests: a pseudo-terminal linked
// as ports/COMn in a temporary configuration folder. A thread on the far side
// collects every frame the tool sends (STX to ETX) and answers it from the
// responder, which may be a script or the simulated controller's model.
class CTestPeer
{
public:
    // Gets a request frame and the line's baud rate; returns the bytes to answer
    // (empty for silence).
    using Responder = std::function<std::string(const std::string& request, int baud)>;

    explicit CTestPeer(int portNumber = 1)
        : m_link(CConfigFolder::PortLink(portNumber))
    {
        QDir().mkpath(CConfigFolder::PortsFolder());
        PlugIn();
        m_thread = std::thread([this] { Serve(); });
    }

    ~CTestPeer()
    {
        m_stop = true;
        m_thread.join();
        m_serving = false;
        CloseFarSide();
        if (m_slave >= 0)
            close(m_slave);
    }

    void SetResponder(Responder responder)
    {
        std::lock_guard lock(m_mutex);
        m_responder = std::move(responder);
    }

    // Sends bytes unasked, e.g. a fault report.
    void Send(const std::string& bytes) { [[maybe_unused]] auto n = write(m_master, bytes.data(), bytes.size()); }

    std::vector<std::string> Requests() const
    {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    // The shortest time between two requests in a row since the last
    // ClearRequests, in milliseconds (-1 for fewer than two): a pause the
    // tool makes between them shows as a lower bound.
    double ShortestRequestGapMs() const
    {
        std::lock_guard lock(m_mutex);
        double shortest = -1;
        for (size_t i = 1; i < m_times.size(); ++i) {
            const std::chrono::duration<double, std::milli> gap = m_times[i] - m_times[i - 1];
            shortest = shortest < 0 ? gap.count() : std::min(shortest, gap.count());
        }
        return shortest;
    }
    void ClearRequests()
    {
        std::lock_guard lock(m_mutex);
        m_requests.clear();
        m_times.clear();
    }
    // Waits up to timeoutMs for the count of received frames to reach count.
    // It serves the test thread's events meanwhile, so the responder can
    // answer one frame before the next is taken.
    bool WaitForRequests(size_t count, int timeoutMs = 3000) const
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < end) {
            if (Requests().size() >= count)
                return true;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return Requests().size() >= count;
    }

    // The baud rate the tool has set on the line.
    int Baud() const
    {
        return CLineSpeed::LineBaud(m_slave);
    }

    // Pulls the cable: the tool's side sees the device hang up. While the
    // serving thread runs, it closes the line itself (it may be using it).
    void CloseFarSide()
    {
        if (!m_serving) {
            CloseMaster();
            return;
        }
        m_closeRequested = true;
        while (m_master >= 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    // Pulls a USB adapter: the device hangs up and is gone, its ports/COMn
    // link dangles until Replug. The terminal side stays open meanwhile: it
    // keeps the pseudo-terminal's number, so the dangling link never leads to
    // one that a test running alongside makes.
    void Unplug() { CloseFarSide(); }
    // Plugs the adapter in again: a new device under the same ports/COMn name.
    void Replug()
    {
        const int reserved = std::exchange(m_slave, -1);
        PlugIn();
        if (reserved >= 0)
            close(reserved);
    }

    QString ConfigHome() const { return m_home.Path(); }
    QString LinkPath() const { return m_link; }

    static std::string Frame(const std::string& inner) { return "\x02" + inner + "\x03"; }

private:
    void CloseMaster()
    {
        if (m_master >= 0)
            close(m_master);
        m_master = -1;
    }

    void PlugIn()
    {
        termios raw{};
        cfmakeraw(&raw);
        int master = -1;
        openpty(&master, &m_slave, nullptr, &raw, nullptr);
        char name[256] = {};
        ttyname_r(m_slave, name, sizeof name);
        QFile::remove(m_link);
        QFile::link(QString::fromLocal8Bit(name), m_link);
        m_master = master;
    }

    void Serve()
    {
        while (!m_stop) {
            if (m_closeRequested.exchange(false))
                CloseMaster();
            pollfd fd{m_master, POLLIN, 0};
            if (poll(&fd, 1, 20) <= 0 || !(fd.revents & POLLIN))
                continue;
            char buffer[512];
            const ssize_t n = read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                continue;
            for (ssize_t i = 0; i < n; ++i)
                if (m_assembler.Feed(buffer[i]))
                    TakeFrame(m_assembler.FrameBytes());
        }
    }

    void TakeFrame(const std::string& frame)
    {
        Responder responder;
        {
            std::lock_guard lock(m_mutex);
            m_requests.push_back(frame);
            m_times.push_back(std::chrono::steady_clock::now());
            responder = m_responder;
        }
        if (responder)
            Send(AnswerOnTestThread(responder, frame));
    }

    // The responder runs on the thread that made the peer (the test's), so it
    // may use a model the test changes meanwhile (a simulated controller)
    // without a race. The test's thread serves it whenever it serves events,
    // as it does while the tool waits for a reply.
    static std::mutex& PostingLock()
    {
        static std::mutex lock;
        return lock;
    }

    std::string AnswerOnTestThread(const Responder& responder, const std::string& frame)
    {
        struct Answer
        {
            std::mutex lock; // guards bytes and ready
            std::string bytes;
            bool ready = false;
        };
        auto answer = std::make_shared<Answer>();
        const int baud = Baud();
        {
            // Qt's event queue hands the call over through locks a race
            // checker cannot see; this lock shows it the hand-over.
            const std::lock_guard posting(PostingLock());
            QMetaObject::invokeMethod(
                &m_context,
                [answer, responder, frame, baud] {
                    { const std::lock_guard posted(PostingLock()); }
                    std::string bytes = responder(frame, baud);
                    const std::lock_guard done(answer->lock);
                    answer->bytes = std::move(bytes);
                    answer->ready = true;
                },
                Qt::QueuedConnection);
        }
        while (!m_stop) {
            // The responder may pull the cable itself (CloseFarSide on the
            // test's thread waits for this thread to close the line).
            if (m_closeRequested.exchange(false))
                CloseMaster();
            {
                const std::lock_guard done(answer->lock);
                if (answer->ready)
                    return answer->bytes;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return {};
    }

    CTempConfigHome m_home;
    QObject m_context; // lives on the test's thread
    QString m_link;
    CFrameAssembler m_assembler; // the serving thread's
    std::atomic<int> m_master{-1};
    int m_slave = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_closeRequested{false};
    std::atomic<bool> m_serving{true};
    mutable std::mutex m_mutex;
    Responder m_responder;
    std::vector<std::string> m_requests;
    std::vector<std::chrono::steady_clock::time_point> m_times;
    std::thread m_thread;
};
