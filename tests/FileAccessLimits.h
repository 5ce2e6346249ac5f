// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <csignal>
#include <sys/fsuid.h>
#include <sys/resource.h>
#include <unistd.h>

// Sets a limit on the size of files this process writes while it lives, so a
// write past it fails as on a full disk.
class CFileSizeLimit
{
public:
    explicit CFileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_previous.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~CFileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }

private:
    rlimit m_previous{};
    void (*m_previousHandler)(int) = nullptr;
};

// File access as an ordinary user while it lives: as root every file is
// readable whatever its permissions say.
class CUnprivilegedFileAccess
{
public:
    CUnprivilegedFileAccess()
    {
        if (geteuid() != 0)
            return;
        m_previousGroup = setfsgid(kNobody);
        m_previousUser = setfsuid(kNobody);
    }
    ~CUnprivilegedFileAccess()
    {
        if (m_previousUser < 0)
            return;
        setfsuid(m_previousUser);
        setfsgid(m_previousGroup);
    }

private:
    static constexpr int kNobody = 65534;
    int m_previousUser = -1;
    int m_previousGroup = -1;
};

