// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMetaMethod>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>
#include <termios.h>
#include <thread>

class CReplyFilter;
class QObject;

// One received byte for the owner window (WM_USER + 7). On this system it is
// delivered as a call of the owner's invokable OnCommRxChar(int byte, int portNumber);
// Open reports an owner without one.
constexpr int WM_COMM_RXCHAR = 0x0407;

// The serial port to the controller. The user-interface thread opens, writes
// and reads it; a monitor thread waits for arriving bytes and, while no
// exchange keeps them for Read (m_busy is 0), hands them to the owner on the
// owner's thread in chunks (one OnCommRxChar call a byte, in order, never
// during an exchange) and waits until the owner has handled each chunk.
//
// When the device goes away (adapter pulled, cable or far side gone) the
// monitor thread closes it, tells the owner (OnCommLineChanged(false, port),
// when the owner has that invokable), looks for the device about once a
// second without using the processor meanwhile, and opens it again with the
// line settings of the last Open as soon as it is back (OnCommLineChanged(true, port)).
class CPortChannel
{
public:
    CPortChannel();
    virtual ~CPortChannel();

    CPortChannel(const CPortChannel&) = delete;
    CPortChannel& operator=(const CPortChannel&) = delete;

    // Returns 1 when the device was opened (even if configuring it reported an
    // error), 0 when it could not be opened (nothing is reported then; see
    // LastOpenDevice and LastOpenErrno), also when it is no terminal (ENOTTY):
    // such a file is never written. parity is 'N', 'O' or 'E'.
    int Open(QObject* owner, int portNumber, int baud, char parity, int dataBits, int stopBits,
             unsigned eventMask);
    // Discards unread input, then writes (an earlier request still on its way
    // out is sent whole first); true when all bytes went out at once.
    // A closed port writes nothing and says nothing; a failing device is
    // reported once until the next Open (polling pages write ten times a second).
    bool Write(const char* buffer, int length);
    // True when the last Write could not write at all: the port is closed or
    // the device is gone (a full output queue is no such failure).
    bool LastWriteFailed() const { return m_lastWriteFailed; }
    // Collects one reply into buffer (the buffer of g_reply): up to 20 polls
    // 80 ms apart, stopping at an ETX received in this call or when one poll
    // delivered maxCount bytes. NUL-terminates after the stored bytes and
    // returns their count; the rest of the buffer keeps its contents. With
    // letters (the request's two), a whole frame with other letters is no
    // stop: it is set aside and the polls go on (see CReplyFilter).
    int Read(char* buffer, int maxCount, const char* letters = nullptr);
    // The fast line's read: returns as soon as buffer holds a whole frame
    // with the request's letters (or maxCount bytes), woken by the arriving
    // data; gives up after giveUpMs. Same result conventions as Read.
    int ReadFrame(char* buffer, int maxCount, const char* letters, int giveUpMs);
    // How long Read polls before it gives up (20 polls of 80 ms as designed).
    static int ReadGiveUpMs();
    // Ends the monitor thread (waiting in steps of one second), restores the
    // device's line settings and closes it. Bytes still on their way to the
    // owner are dropped, so Close and Open never wait for the owner.
    void Close();
    // True from a successful Open until Close, also while the device is away.
    bool IsOpen() const { return m_held; }
    // False while the device is away (and while the port is closed).
    bool IsLineUp() const { return m_lineUp; }
    // The baud rate of the last Open.
    int Baud() const { return m_baud; }
    // Changes whenever the device is closed: by Close, by a new Open and when
    // it goes away. Equal numbers mean the line stayed up in between, so what
    // was read then came from the controller that is on the line now, unless
    // the cable was moved.
    unsigned LineSession() const { return m_lineSession; }

    // Device of the last Open and the errno that made it fail (0 when it succeeded).
    QString LastOpenDevice() const { return m_lastOpenDevice; }
    int LastOpenErrno() const { return m_lastOpenErrno; }

    // ${XDG_CONFIG_HOME:-$HOME/.config}/velor/ports/COMn when that entry
    // exists, otherwise /dev/ttyS<n-1>.
    static QString DevicePath(int portNumber);

    // 1 while an exchange reads its reply itself: arriving bytes then stay in
    // the queue for Read and nothing is handed to the owner.
    std::atomic<int> m_busy{0};

private:
    struct Handoff;
    // The configuration step that failed (none when operation is null).
    struct ConfigFailure
    {
        const char* operation = nullptr;
        int error = 0;
    };

    bool OpenDevice(const QString& path);
    // Opens and locks the device file; -1 with the reason in error when it cannot.
    static int OpenDeviceFile(const QString& path, int& error);
    void AdoptDevice(int fd);
    ConfigFailure Configure(int baud, char parity, int dataBits, int stopBits);
    void CloseDevice();

    void StartMonitor();
    void RequestShutdown();
    void JoinMonitor();
    // Ends the monitor thread without pausing (Open, destruction).
    void StopMonitor();
    void MonitorThread(std::shared_ptr<Handoff> handoff);
    // Hands the queued bytes to the owner one by one; false when the thread must end.
    bool ReceiveChars(const std::shared_ptr<Handoff>& handoff);
    bool Deliver(const std::shared_ptr<Handoff>& handoff, const QByteArray& bytes);
    QMetaMethod ReceiverOf(QObject* owner) const;
    bool ExchangeRunning() const { return m_busy.load() != 0 || m_reading.load(); }
    // Closes the vanished device and looks for it about once a second until it
    // is back (true) or shutdown is requested (false).
    bool WatchForDevice(const std::shared_ptr<Handoff>& handoff);
    bool Reopen();
    void NotifyLineChanged(bool up) const;

    int ReadPoll(char* buffer, int stored, int maxCount);
    int EndRead(char* buffer, int stored, CReplyFilter& filter);
    void ReportError(const char* operation, int error) const;
    void ReportVanished(const char* operation, int error);

    std::thread m_thread;
    std::mutex m_lock;                    // device access: configuration, writes, reads
    std::atomic<int> m_fd{-1};
    std::atomic<bool> m_held{false};      // from a successful Open until Close
    std::atomic<bool> m_lineUp{false};    // the device is open and configured
    std::atomic<unsigned> m_lineSession{0};
    int m_shutdownEvent = -1;             // eventfd; readable once shutdown is requested
    std::shared_ptr<Handoff> m_handoff;   // the running monitor thread's hand-over to the owner
    QObject* m_owner = nullptr;
    QMetaMethod m_deliver;                // the owner's OnCommRxChar; invalid: bytes are dropped
    bool m_lastWriteFailed = false;
    int m_portNumber = 0;
    unsigned m_eventMask = 0;
    // The device and line settings of the last Open, for opening it again.
    QString m_devicePath;
    int m_baud = 0;
    char m_parity = 'N';
    int m_dataBits = 8;
    int m_stopBits = 1;
    termios m_savedTermios{};
    bool m_termiosSaved = false;
    std::atomic<int> m_threadAlive{0};
    std::atomic<bool> m_reading{false};   // Read is collecting a reply
    std::atomic<bool> m_vanished{false};  // the device went away; reported once
    QString m_lastOpenDevice;
    int m_lastOpenErrno = 0;
};

extern CPortChannel g_port;
