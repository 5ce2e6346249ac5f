#include "sim/SimFrameSplitter.h"

#include "link/FrameBuffer.h"

std::vector<std::string> CSimFrameSplitter::Feed(const char* bytes, size_t count)
{
    std::vector<std::string> frames;
    for (size_t i = 0; i < count; ++i) {
        const char byte = bytes[i];
        if (byte == STX) {
            m_frame.assign(1, STX);
            m_open = true;
            continue;
        }
        if (!m_open)
            continue;
        m_frame += byte;
        if (byte == ETX) {
            frames.push_back(m_frame);
            m_open = false;
        } else if (m_frame.size() >= kFrameBufferSize) {
            m_open = false;
        }
    }
    return frames;
}
