// SPDX-License-Identifier: GPL-3.0-or-later
// The request builders: any address, letters, values and text give a frame of
// the builder's length whose checksum IsValidFrame accepts.

#include "link/FrameBuffer.h"
#include "tests/fuzz/FuzzHarness.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <string>

namespace {

char NonNulChar(FuzzedDataProvider& input)
{
    const char c = input.ConsumeIntegral<char>();
    return c ? c : 'A';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int builder = input.ConsumeIntegralInRange(0, 7);
    const int address = input.ConsumeIntegral<int>();
    const char c1 = NonNulChar(input);
    const char c2 = NonNulChar(input);
    const char c3 = NonNulChar(input);
    const int value8 = input.ConsumeIntegral<int>();
    const int value16 = input.ConsumeIntegral<int>();
    g_specialCode = NonNulChar(input);
    char text4[5] = {NonNulChar(input), NonNulChar(input), NonNulChar(input), NonNulChar(input), 0};
    const std::string text = input.ConsumeRemainingBytesAsString();
    const size_t textLength = strlen(text.c_str());

    int expected = 0;
    switch (builder) {
    case 0: g_request.BuildCommand(address, c1, c2); expected = 9; break;
    case 1: g_request.BuildByteArg(address, c1, c2, value8); expected = 11; break;
    case 2: g_request.BuildCharArg(address, c1, c2, c3); expected = 10; break;
    case 3: g_request.BuildCharByteArg(address, c1, c2, c3, value8); expected = 12; break;
    case 4: g_request.BuildByteTextArg(address, c1, c2, value8, text4); expected = 15; break;
    case 5: g_request.BuildByteWordArg(address, c1, c2, value8, value16); expected = 15; break;
    case 6:
        g_request.BuildTextArg(address, c1, c2, text.c_str());
        // A text that does not fit the buffer is cut.
        expected = static_cast<int>(std::min<size_t>(9 + textLength, kFrameBufferSize - 1));
        break;
    case 7: g_request.BuildWordCharArg(address, c1, c2, value16, c3); expected = 13; break;
    }
    const int length = g_request.Length();
    Require(length == expected, "builder " + std::to_string(builder) + " made " + std::to_string(length)
                                    + " characters instead of " + std::to_string(expected));
    Require(g_request.Data()[0] == STX && g_request.Data()[length - 1] == ETX, "frame not framed by STX and ETX");
    Require(g_request.Letter1() == c1 && g_request.Letter2() == c2, "letters not at positions 3 and 4");
    Require(g_request.IsValidFrame(), "a built frame fails its own checksum");
    g_specialCode = 0;
    return 0;
}
