#include "sim/SimPortLink.h"

#include "link/ConfigFolder.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

CSimPortLink::CSimPortLink(int port, const std::string& device)
    : m_path(PortsFolder() + "/COM" + std::to_string(port))
    , m_device(device)
{
    std::error_code error;
    std::filesystem::create_directories(PortsFolder(), error);
    if (error) {
        m_error = PortsFolder() + ": " + error.message();
        return;
    }
    // symlink never overwrites: an existing entry of any kind makes it fail.
    if (symlink(device.c_str(), m_path.c_str()) < 0) {
        m_error = m_path + ": " + std::strerror(errno);
        return;
    }
    m_made = true;
}

CSimPortLink::~CSimPortLink()
{
    Remove();
}

void CSimPortLink::Remove()
{
    if (!m_made)
        return;
    m_made = false;
    char target[4096];
    const ssize_t length = readlink(m_path.c_str(), target, sizeof target - 1);
    if (length >= 0 && std::string(target, length) == m_device)
        unlink(m_path.c_str());
}

std::string CSimPortLink::PortsFolder()
{
    return CConfigFolder::PortsFolder().toStdString();
}
