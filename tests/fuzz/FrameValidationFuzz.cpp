// SPDX-License-Identifier: GPL-3.0-or-later
// IsValidFrame on any reply, against the checksum rule read the plain way:
// the first ETX at position 3 or later whose two preceding characters are the
// upper-case hex digits of the low byte of the sum of positions 1 to p-3.

#include "link/FrameBuffer.h"
#include "tests/fuzz/FuzzHarness.h"

#include <cstdio>
#include <cstring>

namespace {

bool PlainIsValid(const char* frame)
{
    const int length = static_cast<int>(strlen(frame));
    for (int p = 3; p < length; ++p) {
        if (frame[p] != ETX)
            continue;
        unsigned sum = 0;
        for (int i = 1; i <= p - 3; ++i)
            sum += static_cast<unsigned char>(frame[i]);
        char digits[3];
        snprintf(digits, sizeof digits, "%02X", sum & 0xFF);
        if (frame[p - 2] == digits[0] && frame[p - 1] == digits[1])
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    RequireReplyOnly(data, size, [] {
        const bool valid = g_reply.IsValidFrame();
        Require(valid == PlainIsValid(g_reply.Data()), "IsValidFrame departs from the checksum rule");
        return std::string(valid ? "valid" : "invalid");
    });
    return 0;
}
