// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// The entry ${XDG_CONFIG_HOME:-$HOME/.config}/velor/ports/COMn that lets the
// tool open the simulated controller as port n: a symbolic link to the
// pseudo-terminal. A link to a pseudo-terminal that a simulator killed hard
// left behind is replaced (a running simulator holds the lock file
// ports/.COMn.sim-lock); any other entry (a device's link, a file, a dangling
// link elsewhere) is never replaced. The link is removed again on
// destruction, but only while it is still the one made here.
class CSimPortLink
{
public:
    CSimPortLink(int port, const std::string& device);
    ~CSimPortLink();
    CSimPortLink(const CSimPortLink&) = delete;
    CSimPortLink& operator=(const CSimPortLink&) = delete;

    bool IsMade() const { return m_made; }
    const std::string& Path() const { return m_path; }
    const std::string& Error() const { return m_error; }

    // Links the port to another device (the new pseudo-terminal of a
    // replugged line) in one step; only while the entry is still the one made
    // here or has been removed meanwhile.
    bool Relink(const std::string& device);

    static std::string PortsFolder();

private:
    void Remove();
    bool ReplaceStaleLink();
    bool ReplaceLink(const std::string& device);

    std::string m_path;
    std::string m_lockPath;
    int m_lock = -1;
    std::string m_device;
    std::string m_error;
    bool m_made = false;
};
