#pragma once

#include "link/FrameBuffer.h"

#include <string>

// Collects frames from a byte stream, the one way every listener on the line
// does it (the main dialog, the simulated controller, the test peers):
// - bytes outside a frame are dropped;
// - STX starts a frame, also inside an unfinished one (which is dropped);
// - ETX ends it;
// - a frame is at most kMostFrameChars characters from STX to ETX, so that it
//   fits a frame buffer with its NUL; a longer one is dropped whole.
class CFrameAssembler
{
public:
    static constexpr int kMostFrameChars = kFrameBufferSize - 1;

    // Takes one byte; true when it completed a frame, which Frame() then holds
    // until the next byte.
    bool Feed(char byte);

    // The completed frame, NUL-terminated (a NUL inside it ends it as text).
    const char* Frame() const { return m_buffer; }
    // The completed frame with every byte it carries.
    std::string FrameBytes() const { return std::string(m_buffer, m_length); }

private:
    char m_buffer[kFrameBufferSize] = {};
    int m_length = 0;
    bool m_open = false;
};
