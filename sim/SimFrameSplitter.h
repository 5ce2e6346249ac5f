#pragma once

#include <string>
#include <vector>

// Cuts the byte stream from the line into frames from STX to ETX, the way the
// controller listens: bytes outside a frame are dropped, a new STX starts the
// frame anew, a frame that grows past the buffer is dropped.
class CSimFrameSplitter
{
public:
    // The frames the given bytes complete.
    std::vector<std::string> Feed(const char* bytes, size_t count);

private:
    std::string m_frame;
    bool m_open = false;
};
