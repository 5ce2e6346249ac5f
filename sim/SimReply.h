// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

class CSimRequest;

// Builds one reply frame of the controller: STX, the address digits "FF", the
// two letters of the request it answers, the data added in order, two checksum
// digits over positions 1 to the last data character, ETX.
class CSimReply
{
public:
    CSimReply(char letter1, char letter2);

    // A byte as two hex digits, high nibble first.
    CSimReply& AddByte(int value8);
    // A 16-bit value as four hex digits, low byte first.
    CSimReply& AddWord(int value16);
    // A 32-bit value as eight hex digits, lowest byte first.
    CSimReply& AddLong(std::uint32_t value32);
    CSimReply& AddText(const std::string& text);
    CSimReply& AddChar(char c);

    std::string Frame() const;

    // The answer to a write or command request: 'F' when accepted, '0' when
    // refused, repeated count times; FR replies echo their function character
    // first, so the acknowledgement stands at position 6 there.
    static std::string Acknowledgement(const CSimRequest& request, bool accepted, int count = 1);

    // Low 8 bits of the sum of the character codes of text.
    static int Checksum(const std::string& text);

private:
    std::string m_body; // address, letters and data: the checksummed part
};
