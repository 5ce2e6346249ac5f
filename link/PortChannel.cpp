// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PortChannel.h"

#include "link/ConfigFolder.h"
#include "link/FrameBuffer.h"
#include "link/LineSpeed.h"
#include "link/LineTap.h"
#include "link/LinkHooks.h"
#include "link/ReplyFilter.h"
#include "link/TimeScale.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

CPortChannel g_port;

namespace {

// A read looks for the reply every 80 ms and gives up after 20 looks.
constexpr int kReadPolls = 20;
constexpr int kReadPollIntervalMs = 80;
constexpr int kCloseStepMs = 1000;
// The fast line's read looks at the device at least this often.
constexpr int kFastReadStepMs = 20;
// While an exchange keeps arriving bytes for Read, the device stays readable;
// the monitor thread then looks again this often instead of waking on it.
constexpr int kHoldRecheckMs = 20;
// How often a device that went away is looked for.
constexpr int kReplugCheckMs = 1000;
// Arriving bytes gather this long before they cross to the owner's thread,
// at most kChunkSize at a time (a few milliseconds of a line at 115200 baud).
constexpr int kGatherMs = 4;
constexpr int kChunkSize = 1024;

// The number of polls before a read gives up: the designed 20, or more when a
// test shrinks the poll interval further than the give-up time.
int ReadPollCount()
{
    const int giveUpMs = CTimeScale::ReplyMs(kReadPolls * kReadPollIntervalMs);
    return std::max(kReadPolls, giveUpMs / CTimeScale::Ms(kReadPollIntervalMs));
}

// 0 for a character size the line does not have.
tcflag_t CharacterSize(int dataBits)
{
    switch (dataBits) {
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    case 8: return CS8;
    default: return 0;
    }
}

// Held while a chunk is posted and taken first by the call on the owner's
// thread (before it reads anything the post carries). Qt's event queue hands
// the call over through locks of its own, which a race checker cannot see;
// this one shows it the hand-over.
std::mutex g_posting;

void SignalEvent(int fd)
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(fd, &one, sizeof one);
}

void ResetEvent(int fd)
{
    uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = read(fd, &count, sizeof count);
}

// Waits until one of the descriptors is readable; returns the first readable index.
int WaitReadable(pollfd* fds, int count, int timeoutMs = -1)
{
    for (;;) {
        const int ready = poll(fds, count, timeoutMs);
        if (ready == 0)
            return -1;
        if (ready > 0)
            break;
        if (errno != EINTR)
            return -1;
    }
    for (int i = 0; i < count; ++i)
        if (fds[i].revents)
            return i;
    return -1;
}

} // namespace

// The hand-over of one byte to the owner: the monitor thread posts the call to
// the owner's thread and waits for `done` or for the shutdown event. A shutdown
// cancels calls still queued, so no byte reaches the owner after Close or Open.
struct CPortChannel::Handoff
{
    Handoff() : done(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~Handoff()
    {
        if (done >= 0)
            close(done);
    }
    std::atomic<bool> cancelled{false};
    const int done;
};

CPortChannel::CPortChannel() = default;

CPortChannel::~CPortChannel()
{
    StopMonitor();
    std::lock_guard lock(m_lock);
    CloseDevice();
}

QString CPortChannel::DevicePath(int portNumber)
{
    const QString configured = CConfigFolder::PortLink(portNumber);
    // A dangling link still names the port the user chose; opening it then
    // fails with that path rather than silently trying a built-in port.
    const QFileInfo entry(configured);
    if (entry.exists() || entry.isSymLink())
        return configured;
    return QString("/dev/ttyS%1").arg(portNumber - 1);
}

int CPortChannel::Open(QObject* owner, int portNumber, int baud, char parity, int dataBits,
                       int stopBits, unsigned eventMask)
{
    StopMonitor();
    m_owner = owner;
    m_portNumber = portNumber;
    m_eventMask = eventMask;
    m_baud = baud;
    m_parity = parity;
    m_dataBits = dataBits;
    m_stopBits = stopBits;
    m_deliver = ReceiverOf(owner);

    ConfigFailure failure;
    {
        std::lock_guard lock(m_lock);
        CloseDevice();
        m_held = false;
        m_devicePath = DevicePath(portNumber);
        if (!OpenDevice(m_devicePath))
            return 0;
        m_held = true;
        failure = Configure(baud, parity, dataBits, stopBits);
        tcflush(m_fd, TCIOFLUSH);
    }
    m_lineUp = true;
    // Reported outside the lock: the box runs its own event loop.
    if (failure.operation)
        ReportError(failure.operation, failure.error);
    StartMonitor();
    return 1;
}

bool CPortChannel::OpenDevice(const QString& path)
{
    m_lastOpenDevice = path;
    const int fd = OpenDeviceFile(path, m_lastOpenErrno);
    if (fd < 0)
        return false;
    AdoptDevice(fd);
    return true;
}

int CPortChannel::OpenDeviceFile(const QString& path, int& error)
{
    error = 0;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    // Only a terminal is a serial line: anything else (a link to a user's file
    // or a folder) is closed again unwritten.
    if (!isatty(fd)) {
        error = ENOTTY;
        ::close(fd);
        return -1;
    }
    // Not shared: the lock refuses every second opener of the device, the
    // exclusive mode also refuses other programs that do not lock.
    if (flock(fd, LOCK_EX | LOCK_NB) < 0) {
        error = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return -1;
    }
    ioctl(fd, TIOCEXCL);
    return fd;
}

void CPortChannel::AdoptDevice(int fd)
{
    m_termiosSaved = tcgetattr(fd, &m_savedTermios) == 0;
    m_fd = fd;
    m_vanished = false;
}

CPortChannel::ConfigFailure CPortChannel::Configure(int baud, char parity, int dataBits, int stopBits)
{
    termios tio{};
    if (tcgetattr(m_fd, &tio) < 0)
        return {"GetCommState()", errno};
    const speed_t speed = CLineSpeed::SpeedOf(baud);
    const tcflag_t size = CharacterSize(dataBits);
    const bool knownParity = parity == 'N' || parity == 'O' || parity == 'E';
    if (speed == B0 || size == 0 || !knownParity || (stopBits != 1 && stopBits != 2))
        return {"BuildCommDCB()", EINVAL};

    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= size | CLOCAL | CREAD;
    if (parity != 'N')
        tio.c_cflag |= PARENB | (parity == 'O' ? PARODD : 0);
    if (stopBits == 2)
        tio.c_cflag |= CSTOPB;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    if (tcsetattr(m_fd, TCSANOW, &tio) < 0)
        return {"SetCommState()", errno};
    return {};
}

void CPortChannel::CloseDevice()
{
    m_lineUp = false;
    ++m_lineSession;
    if (m_fd < 0)
        return;
    if (m_termiosSaved)
        tcsetattr(m_fd, TCSANOW, &m_savedTermios);
    ioctl(m_fd, TIOCNXCL);
    ::close(m_fd); // also releases the lock
    m_fd = -1;
    m_termiosSaved = false;
}

void CPortChannel::Close()
{
    while (m_threadAlive) {
        RequestShutdown();
        std::this_thread::sleep_for(std::chrono::milliseconds(CTimeScale::Ms(kCloseStepMs)));
    }
    JoinMonitor();
    std::lock_guard lock(m_lock);
    CloseDevice();
    m_held = false;
}

bool CPortChannel::Write(const char* buffer, int length)
{
    ssize_t written = 0;
    int error = 0;
    m_lastWriteFailed = true;
    {
        std::lock_guard lock(m_lock);
        if (m_fd < 0)
            return false;
        // Reply bytes still waiting from an earlier request are discarded, so
        // every exchange starts with an empty input queue. The earlier request
        // itself is still sent whole: a poll right after a fault report's F6
        // or a call's F3 must not cut it off the line.
        tcflush(m_fd, TCIFLUSH);
        written = write(m_fd, buffer, length);
        error = errno;
    }
    if (written > 0)
        CLineTap::Report({true, {buffer, static_cast<size_t>(written)}, m_baud, false});
    // A full output queue is not an error: the driver sends what it has.
    if (written < 0 && error != EAGAIN)
        ReportVanished("WriteFile()", error);
    else
        m_lastWriteFailed = false;
    return written == length;
}

int CPortChannel::Read(char* buffer, int maxCount, const char* letters)
{
    // The monitor thread leaves the device alone while a reply is collected here.
    m_reading = true;
    CReplyFilter filter(letters);
    int stored = 0;
    const int polls = ReadPollCount();
    for (int poll = 0; maxCount > 0 && poll < polls; ++poll) {
        CLinkHooks::Wait(CTimeScale::Ms(kReadPollIntervalMs));
        const int got = ReadPoll(buffer, stored, maxCount);
        const int sifted = filter.Sift(buffer, stored + got);
        const bool setAside = sifted < stored + got;
        stored = sifted;
        const bool endOfFrame = memchr(buffer, ETX, stored) != nullptr;
        const bool full = stored == kFrameBufferSize - 1;
        if (endOfFrame || (got == maxCount && !setAside) || full)
            break;
    }
    return EndRead(buffer, stored, filter);
}

int CPortChannel::ReadFrame(char* buffer, int maxCount, const char* letters, int giveUpMs)
{
    m_reading = true;
    CReplyFilter filter(letters);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(giveUpMs);
    int stored = 0;
    for (;;) {
        stored = filter.Sift(buffer, stored + ReadPoll(buffer, stored, maxCount - stored));
        if (CReplyFilter::HoldsWholeFrame(buffer, stored) || stored >= maxCount || stored == kFrameBufferSize - 1)
            break;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        // In short steps: a device that goes away meanwhile is not waited on.
        const int fd = m_fd;
        const int step = std::min<int>(static_cast<int>(left.count()), kFastReadStepMs);
        if (fd >= 0)
            CLinkHooks::WaitReadable(fd, step);
        else
            CLinkHooks::Wait(step);
    }
    return EndRead(buffer, stored, filter);
}

int CPortChannel::ReadGiveUpMs()
{
    return ReadPollCount() * CTimeScale::Ms(kReadPollIntervalMs);
}

// Without its own reply the read's result is the first frame it set aside.
int CPortChannel::EndRead(char* buffer, int stored, CReplyFilter& filter)
{
    if (filter.SetAnyAside() && !memchr(buffer, ETX, stored))
        stored = filter.Restore(buffer);
    buffer[stored] = 0;
    m_reading = false;
    filter.ReportSetAside(m_baud);
    CLineTap::Report({false, {buffer, static_cast<size_t>(stored)}, m_baud, false});
    return stored;
}

int CPortChannel::ReadPoll(char* buffer, int stored, int maxCount)
{
    std::lock_guard lock(m_lock);
    int queued = 0;
    if (m_fd < 0 || ioctl(m_fd, FIONREAD, &queued) < 0)
        return 0;
    const int request = std::min({queued, maxCount, kFrameBufferSize - 1 - stored});
    if (request <= 0)
        return 0;
    const ssize_t got = read(m_fd, buffer + stored, request);
    return got > 0 ? static_cast<int>(got) : 0;
}

void CPortChannel::StartMonitor()
{
    m_shutdownEvent = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_handoff = std::make_shared<Handoff>();
    if (m_shutdownEvent < 0 || m_handoff->done < 0)
        return; // no descriptors left: the port works for exchanges only
    m_threadAlive = 1;
    m_thread = std::thread(&CPortChannel::MonitorThread, this, m_handoff);
}

void CPortChannel::RequestShutdown()
{
    if (m_handoff)
        m_handoff->cancelled = true;
    if (m_shutdownEvent >= 0)
        SignalEvent(m_shutdownEvent);
}

void CPortChannel::JoinMonitor()
{
    if (m_thread.joinable())
        m_thread.join();
    if (m_shutdownEvent >= 0)
        ::close(m_shutdownEvent);
    m_shutdownEvent = -1;
    m_handoff.reset();
}

void CPortChannel::StopMonitor()
{
    RequestShutdown();
    JoinMonitor();
}

void CPortChannel::MonitorThread(std::shared_ptr<Handoff> handoff)
{
    pthread_setname_np(pthread_self(), "velor-port");
    // Open has just purged the device; purging again here would only lose
    // bytes that arrived since Open returned.
    bool holding = false; // bytes wait in the queue for an exchange's Read
    for (;;) {
        pollfd fds[2] = {{m_shutdownEvent, POLLIN, 0}, {m_fd, POLLIN, 0}};
        const int ready = WaitReadable(fds, holding ? 1 : 2, holding ? kHoldRecheckMs : -1);
        if (ready == 0)
            break;
        if (holding) {
            holding = false;
            continue;
        }
        if (ready < 0 || (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL))) {
            ReportVanished("ReadFile()", EIO);
            if (!WatchForDevice(handoff))
                break;
            continue;
        }
        if (ExchangeRunning()) {
            holding = true;
            continue;
        }
        if (!ReceiveChars(handoff) && !WatchForDevice(handoff))
            break;
    }
    m_threadAlive = 0;
}

bool CPortChannel::WatchForDevice(const std::shared_ptr<Handoff>& handoff)
{
    if (handoff->cancelled)
        return false;
    {
        // Closed at once: a pulled adapter held open would come back under
        // another device name.
        std::lock_guard lock(m_lock);
        CloseDevice();
    }
    NotifyLineChanged(false);
    pollfd fds[1] = {{m_shutdownEvent, POLLIN, 0}};
    for (;;) {
        if (WaitReadable(fds, 1, CTimeScale::Ms(kReplugCheckMs)) == 0)
            return false;
        if (Reopen()) {
            NotifyLineChanged(true);
            return true;
        }
    }
}

bool CPortChannel::Reopen()
{
    int error = 0;
    // The device opened before, under the same name: a ports/COMn link that
    // is gone for the moment must not turn into a built-in port.
    const int fd = OpenDeviceFile(m_devicePath, error);
    if (fd < 0)
        return false;
    ConfigFailure failure;
    {
        std::lock_guard lock(m_lock);
        AdoptDevice(fd);
        failure = Configure(m_baud, m_parity, m_dataBits, m_stopBits);
        tcflush(m_fd, TCIOFLUSH);
    }
    m_lineUp = true;
    if (failure.operation)
        ReportError(failure.operation, failure.error);
    return true;
}

void CPortChannel::NotifyLineChanged(bool up) const
{
    QObject* owner = m_owner;
    if (!owner || owner->metaObject()->indexOfMethod("OnCommLineChanged(bool,int)") < 0)
        return;
    QMetaObject::invokeMethod(owner, "OnCommLineChanged", Qt::QueuedConnection, Q_ARG(bool, up),
                              Q_ARG(int, m_portNumber));
}

bool CPortChannel::ReceiveChars(const std::shared_ptr<Handoff>& handoff)
{
    while (!ExchangeRunning()) {
        // A line that keeps sending (noise, a wrong device) delivers a byte
        // every few dozen microseconds; letting them gather first makes one
        // hand-over carry a burst instead of each byte crossing on its own.
        pollfd fds[1] = {{m_shutdownEvent, POLLIN, 0}};
        if (WaitReadable(fds, 1, kGatherMs) == 0)
            return false;
        if (ExchangeRunning())
            return true;
        char chunk[kChunkSize];
        ssize_t got = 0;
        int error = 0;
        {
            std::lock_guard lock(m_lock);
            got = read(m_fd, chunk, sizeof chunk);
            error = errno;
        }
        if (got < 0 && (error == EAGAIN || error == EINTR))
            return true; // queue empty
        if (got <= 0) {
            ReportVanished("ReadFile()", got == 0 ? EIO : error);
            return false;
        }
        if (m_deliver.isValid() && !Deliver(handoff, QByteArray(chunk, static_cast<int>(got))))
            return false;
    }
    return true;
}

bool CPortChannel::Deliver(const std::shared_ptr<Handoff>& handoff, const QByteArray& bytes)
{
    QObject* owner = m_owner;
    const QMetaMethod deliver = m_deliver;
    const int portNumber = m_portNumber;
    std::unique_lock posting(g_posting);
    QMetaObject::invokeMethod(
        owner,
        [this, handoff, owner, deliver, bytes, portNumber] {
            { const std::lock_guard posted(g_posting); }
            // Runs on the owner's thread, which is also the one that closes,
            // reopens and destroys the channel: not cancelled means alive.
            // One call a byte, in order. The bytes left when an exchange
            // begins (an owner's call may start one) are dropped: the
            // exchange's write discards such input anyway.
            for (const char byte : bytes) {
                if (handoff->cancelled || ExchangeRunning())
                    break;
                deliver.invoke(owner, Qt::DirectConnection, Q_ARG(int, static_cast<unsigned char>(byte)),
                               Q_ARG(int, portNumber));
            }
            SignalEvent(handoff->done);
        },
        Qt::QueuedConnection);
    posting.unlock();

    pollfd fds[2] = {{m_shutdownEvent, POLLIN, 0}, {handoff->done, POLLIN, 0}};
    if (WaitReadable(fds, 2) != 1)
        return false;
    ResetEvent(handoff->done);
    return true;
}

// The owner's OnCommRxChar(int, int). An owner without it could never be
// handed a byte: that is said at once instead of dropping every byte unseen.
QMetaMethod CPortChannel::ReceiverOf(QObject* owner) const
{
    if (!owner)
        return {};
    const QMetaObject* type = owner->metaObject();
    const int index = type->indexOfMethod("OnCommRxChar(int,int)");
    if (index < 0)
        CLinkHooks::ReportError(QString::asprintf("WARNING:  %s has no invokable OnCommRxChar(int, int): "
                                                  "the bytes received on port %d cannot be delivered.\n",
                                                  type->className(), m_portNumber));
    return index < 0 ? QMetaMethod() : type->method(index);
}

void CPortChannel::ReportVanished(const char* operation, int error)
{
    // A device that went away (adapter pulled) is reported once; the next
    // Open starts afresh.
    if (!m_vanished.exchange(true))
        ReportError(operation, error);
}

void CPortChannel::ReportError(const char* operation, int error) const
{
    const char* reason = strerrordesc_np(error);
    const QString text = QString::asprintf("WARNING:  %s Failed with the following error: \n%s\nPort: %d\n",
                                           operation, reason ? reason : "Unknown error", m_portNumber);
    CLinkHooks::ReportError(text);
}
