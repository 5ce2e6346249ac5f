// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/FrameBuffer.h"

#include <string>

// Collects frames from a byte stream, the one way every listener on the line
// does it (the main dialog, the simulated controller, the test peers):
// - bytes outside a frame are dropped;
// - STX starts a frame, also inside an unfinished one (which is dropped);
// - ETX ends it;
// - a frame is at most kMostFrameChars characters from STX to ETX, so that it
//   fits a frame buffer with its NUL; a longer one is dropped whole;
// - a frame never holds a NUL: one that does was spoiled on the line and is
//   dropped (as text it would end early, over what an older frame left);
// - a frame that ends before its two letters answers and asks nothing, and
//   is dropped (a reader would test an older frame's letters).
class CFrameAssembler
{
public:
    static constexpr int kMostFrameChars = kFrameBufferSize - 1;
    // STX, two address digits, two letters, ETX.
    static constexpr int kLeastFrameChars = 6;

    // Takes one byte; true when it completed a frame, which Frame() then holds
    // until the next byte.
    bool Feed(char byte);
    // Forgets an unfinished frame (the line went down in the middle of it).
    void DropFrame() { m_open = false; }

    // The completed frame, NUL-terminated (a NUL inside it ends it as text).
    const char* Frame() const { return m_buffer; }
    // The completed frame with every byte it carries.
    std::string FrameBytes() const { return std::string(m_buffer, m_length); }

private:
    char m_buffer[kFrameBufferSize] = {};
    int m_length = 0;
    bool m_open = false;
};
