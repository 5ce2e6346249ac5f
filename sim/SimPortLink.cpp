// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimPortLink.h"

#include "link/ConfigFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kPseudoTerminals[] = "/dev/pts/";

std::string LinkTarget(const std::string& path)
{
    char target[4096];
    const ssize_t length = readlink(path.c_str(), target, sizeof target - 1);
    return length >= 0 ? std::string(target, static_cast<size_t>(length)) : std::string();
}

} // namespace

CSimPortLink::CSimPortLink(int port, const std::string& device)
    : m_path(PortsFolder() + "/COM" + std::to_string(port))
    , m_lockPath(PortsFolder() + "/.COM" + std::to_string(port) + ".sim-lock")
    , m_device(device)
{
    std::error_code error;
    std::filesystem::create_directories(PortsFolder(), error);
    if (error) {
        m_error = PortsFolder() + ": " + error.message();
        return;
    }
    // Held while this simulator serves the port; a simulator killed hard
    // leaves its link behind but not its lock.
    m_lock = open(m_lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    const bool ownsPort = m_lock >= 0 && flock(m_lock, LOCK_EX | LOCK_NB) == 0;
    // symlink never overwrites: an existing entry of any kind makes it fail.
    if (symlink(device.c_str(), m_path.c_str()) < 0) {
        const int failure = errno;
        if (!(failure == EEXIST && ownsPort && ReplaceStaleLink())) {
            m_error = m_path + ": " + std::strerror(failure);
            return;
        }
    }
    m_made = true;
}

// A link to a pseudo-terminal that no running simulator holds is one a killed
// simulator left; its terminal number may since belong to another program.
// Anything else (a real device's link, a file, a folder) is never replaced.
bool CSimPortLink::ReplaceStaleLink()
{
    if (LinkTarget(m_path).rfind(kPseudoTerminals, 0) != 0)
        return false;
    return ReplaceLink(m_device);
}

bool CSimPortLink::Relink(const std::string& device)
{
    struct stat entry;
    const bool removed = lstat(m_path.c_str(), &entry) != 0 && errno == ENOENT;
    if (!m_made || !(removed || LinkTarget(m_path) == m_device)) {
        m_error = m_path + ": no longer the simulator's link";
        return false;
    }
    if (!ReplaceLink(device)) {
        m_error = m_path + ": " + std::strerror(errno);
        return false;
    }
    m_device = device;
    return true;
}

// A new link made beside the entry (hidden, so no port list shows it) and
// renamed over it: the entry is replaced at once.
bool CSimPortLink::ReplaceLink(const std::string& device)
{
    const std::filesystem::path entry(m_path);
    const std::string fresh = (entry.parent_path() / ("." + entry.filename().string() + ".new")).string();
    unlink(fresh.c_str());
    if (symlink(device.c_str(), fresh.c_str()) == 0 && rename(fresh.c_str(), m_path.c_str()) == 0)
        return true;
    const int failure = errno;
    unlink(fresh.c_str());
    errno = failure;
    return false;
}

CSimPortLink::~CSimPortLink()
{
    Remove();
    if (m_lock >= 0)
        close(m_lock); // releases the lock
}

void CSimPortLink::Remove()
{
    if (!m_made)
        return;
    m_made = false;
    if (LinkTarget(m_path) == m_device)
        unlink(m_path.c_str());
}

std::string CSimPortLink::PortsFolder()
{
    return CConfigFolder::PortsFolder().toStdString();
}
