// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimRequest.h"

#include "link/FrameBuffer.h"

namespace {

// STX, two address digits, two letters, special code, two checksum digits, ETX.
constexpr size_t kShortestRequest = 9;

bool HasValidChecksum(const std::string& frame)
{
    CFrameBuffer buffer;
    buffer.SetText(frame.c_str());
    return buffer.IsValidFrame();
}

} // namespace

CSimRequest::CSimRequest(const std::string& frame)
{
    // The frame ends at its first ETX; the checksum stands just before it.
    const size_t end = frame.find(ETX);
    if (end == std::string::npos || end + 1 < kShortestRequest || frame[0] != STX)
        return;
    const std::string text = frame.substr(0, end + 1);
    if (text.find('\0') != std::string::npos || !HasValidChecksum(text) || text.compare(1, 2, "FF") != 0)
        return;
    m_usable = true;
    m_letter1 = text[3];
    m_letter2 = text[4];
    m_specialCode = text[end - 3];
    m_payload = text.substr(5, end - 3 - 5);
}

int CSimRequest::PayloadByte(int offset) const
{
    return offset + 2 <= static_cast<int>(m_payload.size()) ? ParseHex2(m_payload.c_str() + offset) : 0;
}

int CSimRequest::PayloadWord(int offset) const
{
    return offset + 4 <= static_cast<int>(m_payload.size()) ? ParseHex4(m_payload.c_str() + offset) : 0;
}

int CSimRequest::PayloadNumber() const
{
    // A handful of digits is all any request carries; more would overflow.
    constexpr size_t kMostDigits = 6;
    int value = 0;
    for (size_t i = 0; i < m_payload.size() && i < kMostDigits; ++i) {
        const char digit[2] = {m_payload[i], '\0'};
        value = value * 16 + ParseHex1(digit);
    }
    return value;
}

char CSimRequest::PayloadChar(int offset) const
{
    return offset < static_cast<int>(m_payload.size()) ? m_payload[offset] : '\0';
}
