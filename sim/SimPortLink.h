#pragma once

#include <string>

// The entry ${XDG_CONFIG_HOME:-$HOME/.config}/velor/ports/COMn that lets the
// tool open the simulated controller as port n: a symbolic link to the
// pseudo-terminal. An entry that is already there (a link, a file, even a
// dangling link) is never replaced; the link is removed again on destruction,
// but only while it is still the one made here.
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

    static std::string PortsFolder();

private:
    void Remove();

    std::string m_path;
    std::string m_device;
    std::string m_error;
    bool m_made = false;
};
