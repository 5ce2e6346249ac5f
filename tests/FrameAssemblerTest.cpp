// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/FrameAssembler.h"
#include "sim/SimController.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> Feed(CFrameAssembler& assembler, const std::string& bytes)
{
    std::vector<std::string> frames;
    for (char byte : bytes)
        if (assembler.Feed(byte))
            frames.push_back(assembler.FrameBytes());
    return frames;
}

// STX, count - 2 payload characters, ETX.
std::string FrameOfLength(int count)
{
    return "\x02" + std::string(count - 2, '5') + "\x03";
}

TEST(FrameAssemblerTest, CutsFramesFromStxToEtxAndDropsTheRest)
{
    CFrameAssembler assembler;
    const std::string bytes = std::string("xx\x02" "FFA0") + "\x02" "FFA0E42" "\x03" "yy" "\x02" "FFA";
    EXPECT_EQ(Feed(assembler, bytes), std::vector<std::string>{"\x02" "FFA0E42" "\x03"});
    EXPECT_EQ(Feed(assembler, "3E45\x03"), std::vector<std::string>{"\x02" "FFA3E45" "\x03"});
    EXPECT_STREQ(assembler.Frame(), "\x02" "FFA3E45" "\x03");

    EXPECT_TRUE(Feed(assembler, CSimController::OverlongFrame() + "\x03").empty());
    EXPECT_EQ(Feed(assembler, "\x02" "FFA0" "\x03").size(), 1u) << "the next frame after an overlong one";
}

// The longest frame fills a frame buffer with its NUL; one character more is dropped.
TEST(FrameAssemblerTest, FrameOfTheBufferSizeLessOneIsTheLongest)
{
    CFrameAssembler assembler;
    const std::string longest = FrameOfLength(kFrameBufferSize - 1);
    ASSERT_EQ(Feed(assembler, longest), std::vector<std::string>{longest});
    CFrameBuffer reply;
    reply.SetText(assembler.Frame());
    EXPECT_EQ(reply.Length(), kFrameBufferSize - 1);

    EXPECT_TRUE(Feed(assembler, FrameOfLength(kFrameBufferSize)).empty());
    EXPECT_TRUE(Feed(assembler, FrameOfLength(kFrameBufferSize + 1)).empty());
}

} // namespace
