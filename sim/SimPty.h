// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// The pseudo-terminal the simulated controller serves. The controller keeps the
// master side; it also keeps one descriptor of the terminal side open, so the
// line does not hang up while the tool closes and reopens it, and so the
// line's settings (the baud rate the tool has set) can be read at any time.
class CSimPty
{
public:
    CSimPty();
    ~CSimPty();
    CSimPty(const CSimPty&) = delete;
    CSimPty& operator=(const CSimPty&) = delete;

    bool IsOpen() const { return m_master >= 0; }
    // Pulls the line like a USB adapter taken out: the master side is closed,
    // the tool's reads fail and the device node goes away; IsOpen is false
    // until Replug. The terminal side stays open meanwhile, which keeps the
    // pseudo-terminal's number: a link still naming the device cannot lead to
    // the next pseudo-terminal some other program makes.
    void Unplug();
    // Plugs a new pseudo-terminal in, under another number; false, with
    // Error, when none could be made.
    bool Replug();
    const std::string& Error() const { return m_error; }
    // The terminal side's device, e.g. /dev/pts/3.
    const std::string& DevicePath() const { return m_devicePath; }
    int MasterFd() const { return m_master; }
    // Readable when another program opened or closed the device; -1 when the
    // system cannot watch it.
    int WatchFd() const { return m_watch; }

    // The baud rate currently set on the line; 0 for a rate this program does
    // not know.
    int LineBaud() const;
    // Handles the open and close notices of WatchFd. A program that ends
    // without releasing its exclusive use of the line would leave it locked
    // for everybody but root, because the line stays open on this side; after
    // every close the exclusive use is therefore released.
    void HandleWatchEvents();

    // Whether baud is one of the rates the line can be set to.
    static bool IsKnownBaud(int baud);

private:
    void PlugIn();
    bool Fail(const char* what);

    int m_master = -1;
    int m_terminal = -1;
    int m_watch = -1;
    std::string m_devicePath;
    std::string m_error;
};
