#pragma once

#include <ostream>
#include <string>

// One line per frame received or sent, for a technician watching the line:
// time of day, direction ("<-" received, "->" sent) and the bytes in
// printable form, control characters as <STX>, <ETX>, <EOT>, <CR> or <hh>.
class CSimTrace
{
public:
    explicit CSimTrace(std::ostream& out)
        : m_out(out)
    {
    }

    void SetEnabled(bool enabled) { m_enabled = enabled; }
    bool IsEnabled() const { return m_enabled; }
    void Received(const std::string& bytes) { Line("<-", bytes); }
    void Sent(const std::string& bytes) { Line("->", bytes); }

    static std::string Printable(const std::string& bytes);

private:
    void Line(const char* direction, const std::string& bytes);

    std::ostream& m_out;
    bool m_enabled = false;
};
