// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimPty.h"

#include "link/LineSpeed.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <utility>
#include <unistd.h>

CSimPty::CSimPty()
{
    PlugIn();
}

void CSimPty::PlugIn()
{
    m_error.clear();
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0) {
        Fail("posix_openpt");
        return;
    }
    char name[128];
    if (grantpt(m_master) < 0 || unlockpt(m_master) < 0 || ptsname_r(m_master, name, sizeof name) != 0) {
        Fail("grantpt/unlockpt/ptsname");
        return;
    }
    m_devicePath = name;
    m_terminal = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_terminal < 0) {
        Fail(name);
        return;
    }
    // Raw 8-bit line at the main board's usual rate until the tool sets its own.
    termios tio{};
    tcgetattr(m_terminal, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tcsetattr(m_terminal, TCSANOW, &tio);

    m_watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watch >= 0 && inotify_add_watch(m_watch, name, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0) {
        close(m_watch);
        m_watch = -1;
    }
}

CSimPty::~CSimPty()
{
    for (int fd : {m_watch, m_terminal, m_master})
        if (fd >= 0)
            close(fd);
}

void CSimPty::Unplug()
{
    for (int* fd : {&m_watch, &m_master}) {
        if (*fd >= 0)
            close(*fd);
        *fd = -1;
    }
}

bool CSimPty::Replug()
{
    Unplug();
    const int reserved = std::exchange(m_terminal, -1);
    PlugIn();
    // Only now: the new pseudo-terminal never gets the old number back.
    if (reserved >= 0)
        close(reserved);
    return IsOpen();
}

bool CSimPty::Fail(const char* what)
{
    m_error = std::string(what) + ": " + std::strerror(errno);
    if (m_master >= 0)
        close(m_master);
    m_master = -1;
    return false;
}

int CSimPty::LineBaud() const
{
    return CLineSpeed::LineBaud(m_terminal);
}

void CSimPty::HandleWatchEvents()
{
    char events[1024];
    bool closed = false;
    while (read(m_watch, events, sizeof events) > 0)
        closed = true; // only close notices are watched
    if (closed)
        ioctl(m_terminal, TIOCNXCL);
}

bool CSimPty::IsKnownBaud(int baud)
{
    return CLineSpeed::IsKnown(baud);
}
