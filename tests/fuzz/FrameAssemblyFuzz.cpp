// SPDX-License-Identifier: GPL-3.0-or-later
// The one frame assembler fed any byte stream: it completes exactly the frames
// the stream carries from STX to ETX, whole; a frame cut by a new STX, grown
// past a frame buffer, holding a NUL or ending before its two letters is
// never completed, and nothing outside STX and ETX is.
//
// Input: the byte stream as it comes off the line.

#include "link/FrameAssembler.h"
#include "tests/fuzz/FuzzHarness.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// The frames of the stream, read the plain way.
std::vector<std::string> PlainFrames(const uint8_t* data, size_t size)
{
    std::vector<std::string> frames;
    std::string frame;
    bool open = false;
    for (size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == STX) {
            frame = STX;
            open = true;
        } else if (open && (c == 0 || frame.size() == CFrameAssembler::kMostFrameChars)) {
            open = false;
        } else if (open) {
            frame += c;
            if (c == ETX) {
                open = false;
                if (frame.size() >= CFrameAssembler::kLeastFrameChars)
                    frames.push_back(frame);
            }
        }
    }
    return frames;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CFrameAssembler assembler;
    std::vector<std::string> completed;
    for (size_t i = 0; i < size; ++i)
        if (assembler.Feed(static_cast<char>(data[i]))) {
            completed.push_back(assembler.FrameBytes());
            Require(strlen(assembler.Frame()) == completed.back().size(), "a completed frame ends early as text");
        }
    Require(completed == PlainFrames(data, size), "the assembler completed other frames than the stream carried");
    return 0;
}
