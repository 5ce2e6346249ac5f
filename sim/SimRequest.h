// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// One request frame as the controller receives it. A request is usable when it
// starts with STX, is addressed to "FF" and its checksum is right; its payload
// is what stands between the letters and the one-letter special code (for FD
// the card state travels in the special code's place, see SpecialCode()).
class CSimRequest
{
public:
    explicit CSimRequest(const std::string& frame);

    bool IsUsable() const { return m_usable; }
    char Letter1() const { return m_letter1; }
    char Letter2() const { return m_letter2; }
    const std::string& Payload() const { return m_payload; }
    char SpecialCode() const { return m_specialCode; }

    // Hex values of the payload at the given offset; 0 where it is too short.
    int PayloadByte(int offset) const;
    int PayloadWord(int offset) const;
    // The payload read as one hex number of any length (1 or 2 digits for A1).
    int PayloadNumber() const;
    // The character at the offset, or NUL past the end.
    char PayloadChar(int offset) const;

private:
    bool m_usable = false;
    char m_letter1 = 0;
    char m_letter2 = 0;
    char m_specialCode = 0;
    std::string m_payload;
};
