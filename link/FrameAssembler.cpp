// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/FrameAssembler.h"

bool CFrameAssembler::Feed(char byte)
{
    if (byte == STX) {
        m_buffer[0] = STX;
        m_length = 1;
        m_open = true;
        return false;
    }
    if (!m_open)
        return false;
    if (m_length == kMostFrameChars || byte == 0) {
        m_open = false; // too long for any frame buffer, or spoiled
        return false;
    }
    m_buffer[m_length++] = byte;
    if (byte != ETX)
        return false;
    m_buffer[m_length] = 0;
    m_open = false;
    return m_length >= kLeastFrameChars;
}
