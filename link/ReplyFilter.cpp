// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ReplyFilter.h"

#include "link/FrameBuffer.h"
#include "link/LineTap.h"

#include <algorithm>
#include <cstring>

namespace {

// The letters stand at positions 3 and 4 of a frame, before its ETX.
constexpr int kLetterPos = 3;

} // namespace

CReplyFilter::CReplyFilter(const char* letters)
    : m_filtering(letters != nullptr)
{
    if (letters) {
        m_letters[0] = letters[0];
        m_letters[1] = letters[1];
    }
}

int CReplyFilter::Sift(char* buffer, int stored)
{
    while (m_filtering && stored > 0) {
        const char* begin = buffer;
        const char* end = static_cast<const char*>(memchr(begin, ETX, stored));
        if (!end)
            break;
        // The frame of that ETX begins at the last STX before it.
        const auto stx = std::find(std::make_reverse_iterator(end), std::make_reverse_iterator(begin), STX);
        if (stx == std::make_reverse_iterator(begin))
            break; // an ETX without a frame: not a reply of anybody's
        const char* frame = stx.base() - 1;
        if (end - frame <= kLetterPos + 1)
            break;
        if (frame[kLetterPos] == m_letters[0] && frame[kLetterPos + 1] == m_letters[1])
            break; // its own
        const int taken = static_cast<int>(end - buffer) + 1;
        m_setAside.emplace_back(buffer, static_cast<size_t>(taken));
        stored -= taken;
        memmove(buffer, buffer + taken, static_cast<size_t>(stored));
    }
    return stored;
}

int CReplyFilter::Restore(char* buffer)
{
    if (m_setAside.empty())
        return 0;
    m_restored = true;
    const std::string& first = m_setAside.front();
    memcpy(buffer, first.data(), first.size());
    return static_cast<int>(first.size());
}

void CReplyFilter::ReportSetAside(int baud) const
{
    for (size_t i = m_restored ? 1 : 0; i < m_setAside.size(); ++i)
        CLineTap::Report({false, m_setAside[i], baud, false, "不是本次请求的应答，已略过"});
}

bool CReplyFilter::HoldsWholeFrame(const char* buffer, int stored)
{
    const void* start = memchr(buffer, STX, stored);
    if (!start)
        return false;
    const char* from = static_cast<const char*>(start);
    return memchr(from, ETX, static_cast<size_t>(stored - (from - buffer))) != nullptr;
}
