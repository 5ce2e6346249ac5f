// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimReply.h"

#include "link/FrameBuffer.h"
#include "sim/SimRequest.h"

CSimReply::CSimReply(char letter1, char letter2)
{
    m_body = HexByte(0xFF);
    m_body += letter1;
    m_body += letter2;
}

CSimReply& CSimReply::AddByte(int value8)
{
    m_body += HexByte(value8);
    return *this;
}

CSimReply& CSimReply::AddWord(int value16)
{
    AddByte(value16 & 0xFF);
    return AddByte((value16 >> 8) & 0xFF);
}

CSimReply& CSimReply::AddLong(std::uint32_t value32)
{
    AddWord(static_cast<int>(value32 & 0xFFFF));
    return AddWord(static_cast<int>(value32 >> 16));
}

CSimReply& CSimReply::AddText(const std::string& text)
{
    m_body += text;
    return *this;
}

CSimReply& CSimReply::AddChar(char c)
{
    m_body += c;
    return *this;
}

std::string CSimReply::Frame() const
{
    std::string frame(1, STX);
    frame += m_body;
    frame += HexByte(Checksum(m_body));
    frame += ETX;
    return frame;
}

std::string CSimReply::Acknowledgement(const CSimRequest& request, bool accepted, int count)
{
    CSimReply reply(request.Letter1(), request.Letter2());
    if (request.Letter1() == 'F' && request.Letter2() == 'R')
        reply.AddChar(request.PayloadChar(0));
    return reply.AddText(std::string(count, accepted ? 'F' : '0')).Frame();
}

int CSimReply::Checksum(const std::string& text)
{
    unsigned sum = 0;
    for (unsigned char c : text)
        sum += c;
    return static_cast<int>(sum & 0xFF);
}
