// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/FrameBuffer.h"

#include <gtest/gtest.h>
#include <string>

namespace {

class FrameBufferTest : public ::testing::Test
{
protected:
    void SetUp() override { g_specialCode = 'E'; }
    void TearDown() override { g_specialCode = 0; }

    static std::string Framed(const std::string& inner) { return std::string(1, STX) + inner + std::string(1, ETX); }
    CFrameBuffer frame;
};

TEST_F(FrameBufferTest, BuildersLayOutPayloadSpecialCodeAndChecksum)
{
    frame.BuildCommand(255, 'A', '4');
    EXPECT_EQ(frame.Data(), Framed("FFA4E46"));
    EXPECT_EQ(frame.Length(), 9);

    frame.BuildByteArg(255, 'A', '5', 11);
    EXPECT_EQ(frame.Data(), Framed("FFA50BEB9"));
    EXPECT_EQ(frame.Length(), 11);

    frame.BuildByteWordArg(255, 'F', '5', 0x10B, 0x11234);
    EXPECT_EQ(std::string(frame.Data() + 5, 7), "0B3412E");
    EXPECT_EQ(frame.Length(), 15);
    EXPECT_TRUE(frame.IsValidFrame());

    frame.BuildCharByteArg(255, 'F', '3', '1', 7);
    EXPECT_EQ(std::string(frame.Data() + 5, 4), "107E");
    EXPECT_EQ(frame.Length(), 12);

    frame.BuildByteTextArg(255, 'F', '5', 65, "ABCDEF");
    EXPECT_EQ(std::string(frame.Data() + 5, 7), "41ABCDE");
    EXPECT_EQ(frame.Length(), 15);

    frame.BuildCharArg(255, 'F', 'R', '2');
    EXPECT_EQ(std::string(frame.Data() + 5, 2), "2E");
    EXPECT_EQ(frame.Length(), 10);
    EXPECT_TRUE(frame.IsValidFrame());
}

TEST_F(FrameBufferTest, TextArgAndWordCharArg)
{
    frame.BuildTextArg(255, 'F', '1', "");
    EXPECT_EQ(frame.Length(), 9);
    EXPECT_EQ(frame.Data()[5], 'E');

    frame.BuildTextArg(255, 'F', '9', "261207093000");
    EXPECT_EQ(frame.Length(), 9 + 12);
    EXPECT_TRUE(frame.IsValidFrame());

    // The card frame carries the caller's character where others carry the special code.
    g_specialCode = 0;
    frame.BuildWordCharArg(255, 'F', 'D', 0x1234, 'F');
    EXPECT_EQ(std::string(frame.Data() + 5, 5), "3412F");
    EXPECT_EQ(frame.Length(), 13);
    EXPECT_TRUE(frame.IsValidFrame());
}

TEST_F(FrameBufferTest, UnsetSpecialCodeCutsFrameBeforeIt)
{
    g_specialCode = 0;
    frame.BuildByteArg(255, 'A', '5', 11);
    EXPECT_EQ(frame.Length(), 7);
    EXPECT_EQ(std::string(frame.Data()), "\x02" "FFA50B");
}

TEST_F(FrameBufferTest, OverlongTextIsCutAndStaysTerminated)
{
    const std::string text(5000, 'x');
    frame.BuildTextArg(255, 'F', '1', text.c_str());
    EXPECT_EQ(frame.Length(), kFrameBufferSize - 1);
    EXPECT_EQ(frame.Data()[kFrameBufferSize - 2], ETX);
    EXPECT_TRUE(frame.IsValidFrame());

    frame.SetText(text.c_str());
    EXPECT_EQ(frame.Length(), kFrameBufferSize - 1);
}

TEST_F(FrameBufferTest, ValidFrameSearchesEveryEtx)
{
    frame.SetText("\x02" "FFA4" "12" "\x03" "xx");
    EXPECT_FALSE(frame.IsValidFrame()) << "wrong checksum in the only frame";

    frame.BuildCommand(255, 'A', '4');
    std::string withTrailer = std::string(frame.Data()) + "junk";
    frame.SetText(withTrailer.c_str());
    EXPECT_TRUE(frame.IsValidFrame()) << "characters after the ETX are allowed";

    // An ETX whose digits do not match does not end the search.
    frame.SetText("\x02" "FF\x03" "A4E46\x03");
    std::string text = frame.Data();
    unsigned sum = 0;
    for (size_t i = 1; i + 3 < text.size(); ++i)
        sum += static_cast<unsigned char>(text[i]);
    text[text.size() - 3] = "0123456789ABCDEF"[(sum >> 4) & 15];
    text[text.size() - 2] = "0123456789ABCDEF"[sum & 15];
    frame.SetText(text.c_str());
    EXPECT_TRUE(frame.IsValidFrame());

    frame.SetText("\x02" "00\x03");
    EXPECT_TRUE(frame.IsValidFrame()) << "ETX at 3 compares 00, the sum of no characters";
}

TEST_F(FrameBufferTest, FrameCarriesOnlyItsOwnDataNotWhatFollowsIt)
{
    frame.BuildTextArg(255, 'A', '5', "1234"); // data 5..8, special code at 9
    const std::string whole = frame.Data();
    EXPECT_TRUE(frame.Carries(5, 5));
    EXPECT_FALSE(frame.Carries(5, 6)) << "the checksum is not data";

    // The same reply cut after its letters, and the next frame read with it:
    // the value would come from the checksum, ETX and the stranger.
    frame.BuildCommand(255, 'A', '5');
    const std::string lettersOnly = frame.Data();
    frame.SetText((lettersOnly + whole).c_str());
    EXPECT_EQ(frame.FrameLength(), static_cast<int>(lettersOnly.size()));
    EXPECT_FALSE(frame.Carries(5, 4));

    // Garbage after a whole frame leaves its data as they are.
    frame.SetText((whole + "\x03junk").c_str());
    EXPECT_EQ(frame.FrameLength(), static_cast<int>(whole.size()));
    EXPECT_TRUE(frame.Carries(5, 5));

    // Without a checksum that matches, the frame ends at its first ETX; with
    // no ETX at all, the text is taken whole, as it was read.
    frame.SetText((Framed("FFA51234zz") + "5678zz" + std::string(1, ETX)).c_str());
    EXPECT_EQ(frame.FrameLength(), 12);
    frame.SetText("\x02" "FFA512345678");
    EXPECT_EQ(frame.FrameLength(), 13);
}

TEST(HexCodec, ParsesBothCasesAndByteOrders)
{
    EXPECT_EQ(ParseHex2("ff"), 255);
    EXPECT_EQ(ParseHex2("FF"), 255);
    EXPECT_EQ(ParseHex1("b"), 11);
    EXPECT_EQ(ParseHex4("3412"), 0x1234);
    EXPECT_EQ(ParseHex8("0C000000"), 12u);
    EXPECT_EQ(ParseHex8("78563412"), 0x12345678u);
    EXPECT_EQ(ParseHex4(nullptr), 0);
    EXPECT_EQ(ParseHex8(nullptr), 0u);
    EXPECT_EQ(ParseHex2("zz"), 0);
    EXPECT_EQ(ParseHex4("34"), 0x0034) << "a short text parses its missing digits as 0";
    EXPECT_STREQ(HexByte(0x1AB), "AB");
    EXPECT_STREQ(HexByte(-1), "FF");
}

} // namespace
