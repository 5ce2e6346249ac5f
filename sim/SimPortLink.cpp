#include "sim/SimPortLink.h"

#include "link/ConfigFolder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
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
    return unlink(m_path.c_str()) == 0 && symlink(m_device.c_str(), m_path.c_str()) == 0;
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
