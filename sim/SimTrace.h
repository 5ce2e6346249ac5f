// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <ostream>
#include <string>

// One line per frame received or sent, for a technician watching the line:
// time of day, direction ("<-" received, "->" sent) and the bytes in the
// readable form the tool's traffic window shows too (link/FrameText.h).
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

private:
    void Line(const char* direction, const std::string& bytes);

    std::ostream& m_out;
    bool m_enabled = false;
};
