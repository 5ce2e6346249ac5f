// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/FrameBuffer.h"

#include <cstring>

CFrameBuffer g_request;
CFrameBuffer g_reply;
std::atomic<char> g_specialCode{0};

namespace {

// Per thread: the user-interface thread builds requests while a test peer's
// or the simulator's thread builds replies.
thread_local char t_hexArea[3];

const char kHexDigits[] = "0123456789ABCDEF";

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

// Value of the digits at the given offsets, most significant first. A digit
// that is missing (the text ends early) or not hex counts as 0.
unsigned ParseDigits(const char* p, const int* offsets, int count)
{
    if (!p)
        return 0;
    const int available = static_cast<int>(strnlen(p, 8));
    unsigned value = 0;
    for (int i = 0; i < count; ++i)
        value = value * 16 + (offsets[i] < available ? DigitValue(p[offsets[i]]) : 0);
    return value;
}

} // namespace

const char* HexByte(int value)
{
    const int byte = value & 0xFF;
    t_hexArea[0] = kHexDigits[byte >> 4];
    t_hexArea[1] = kHexDigits[byte & 0x0F];
    t_hexArea[2] = 0;
    return t_hexArea;
}

int ParseHex1(const char* p)
{
    static const int offsets[] = {0};
    return static_cast<int>(ParseDigits(p, offsets, 1));
}

int ParseHex2(const char* p)
{
    static const int offsets[] = {0, 1};
    return static_cast<int>(ParseDigits(p, offsets, 2));
}

int ParseHex4(const char* p)
{
    static const int offsets[] = {2, 3, 0, 1};
    return static_cast<int>(ParseDigits(p, offsets, 4));
}

unsigned ParseHex8(const char* p)
{
    static const int offsets[] = {6, 7, 4, 5, 2, 3, 0, 1};
    return ParseDigits(p, offsets, 8);
}

CFrameBuffer::CFrameBuffer()
{
    memset(m_buffer, 0, sizeof m_buffer);
}

int CFrameBuffer::Length() const
{
    return static_cast<int>(strnlen(m_buffer, kFrameBufferSize));
}

bool CFrameBuffer::Carries(int pos, int count) const
{
    return pos >= 0 && count >= 0 && pos + count <= FrameLength() - kFrameTail;
}

int CFrameBuffer::FrameLength() const
{
    const int validEtx = ValidFrameEtx();
    if (validEtx >= 0)
        return validEtx + 1;
    const int length = Length();
    const void* etx = memchr(m_buffer, ETX, length);
    return etx ? static_cast<int>(static_cast<const char*>(etx) - m_buffer) + 1 : length;
}

void CFrameBuffer::SetText(const char* text)
{
    const size_t length = strnlen(text, kFrameBufferSize - 1);
    memcpy(m_buffer, text, length);
    m_buffer[length] = 0;
}

int CFrameBuffer::BeginFrame(int address, char c1, char c2)
{
    m_buffer[0] = STX;
    int pos = PutByte(1, address);
    m_buffer[pos++] = c1;
    m_buffer[pos++] = c2;
    return pos;
}

int CFrameBuffer::PutText(int pos, const char* text, int count)
{
    for (int i = 0; i < count && pos < kFrameBufferSize; ++i)
        m_buffer[pos++] = text[i];
    return pos;
}

int CFrameBuffer::PutByte(int pos, int value8)
{
    return PutText(pos, HexByte(value8), 2);
}

int CFrameBuffer::PutWord(int pos, int value16)
{
    pos = PutByte(pos, value16 & 0xFF);
    return PutByte(pos, (value16 >> 8) & 0xFF);
}

void CFrameBuffer::EndFrame(int pos)
{
    // Room for two checksum digits, ETX and NUL; a payload that does not fit
    // is cut so the buffer stays terminated.
    pos = pos < kFrameBufferSize - 4 ? pos : kFrameBufferSize - 4;
    unsigned sum = 0;
    for (int i = 1; i < pos; ++i)
        sum += static_cast<unsigned char>(m_buffer[i]);
    pos = PutByte(pos, static_cast<int>(sum));
    m_buffer[pos++] = ETX;
    m_buffer[pos] = 0;
}

void CFrameBuffer::EndWithSpecialCode(int pos)
{
    if (pos < kFrameBufferSize - 4)
        m_buffer[pos++] = g_specialCode;
    EndFrame(pos);
}

void CFrameBuffer::BuildCommand(int address, char c1, char c2)
{
    EndWithSpecialCode(BeginFrame(address, c1, c2));
}

void CFrameBuffer::BuildByteArg(int address, char c1, char c2, int value8)
{
    EndWithSpecialCode(PutByte(BeginFrame(address, c1, c2), value8));
}

void CFrameBuffer::BuildCharArg(int address, char c1, char c2, char c3)
{
    EndWithSpecialCode(PutText(BeginFrame(address, c1, c2), &c3, 1));
}

void CFrameBuffer::BuildCharByteArg(int address, char c1, char c2, char c3, int value8)
{
    const int pos = PutText(BeginFrame(address, c1, c2), &c3, 1);
    EndWithSpecialCode(PutByte(pos, value8));
}

void CFrameBuffer::BuildByteTextArg(int address, char c1, char c2, int value8, const char* text4)
{
    const int pos = PutByte(BeginFrame(address, c1, c2), value8);
    EndWithSpecialCode(PutText(pos, text4, 4));
}

void CFrameBuffer::BuildByteWordArg(int address, char c1, char c2, int value8, int value16)
{
    const int pos = PutByte(BeginFrame(address, c1, c2), value8);
    EndWithSpecialCode(PutWord(pos, value16));
}

void CFrameBuffer::BuildTextArg(int address, char c1, char c2, const char* text)
{
    const int pos = BeginFrame(address, c1, c2);
    const int room = kFrameBufferSize - 5 - pos;
    EndWithSpecialCode(PutText(pos, text, static_cast<int>(strnlen(text, room))));
}

void CFrameBuffer::BuildWordCharArg(int address, char c1, char c2, int value16, char c5)
{
    const int pos = PutWord(BeginFrame(address, c1, c2), value16);
    EndFrame(PutText(pos, &c5, 1));
}

bool CFrameBuffer::IsValidFrame() const
{
    return ValidFrameEtx() >= 0;
}

int CFrameBuffer::ValidFrameEtx() const
{
    const int length = Length();
    unsigned sum = 0; // sum of positions 1..p-3, grown as p advances
    for (int p = 3; p < length; ++p) {
        if (p - 3 >= 1)
            sum += static_cast<unsigned char>(m_buffer[p - 3]);
        if (m_buffer[p] != ETX)
            continue;
        const unsigned byte = sum & 0xFF;
        if (m_buffer[p - 2] == kHexDigits[byte >> 4] && m_buffer[p - 1] == kHexDigits[byte & 0x0F])
            return p;
    }
    return -1;
}
