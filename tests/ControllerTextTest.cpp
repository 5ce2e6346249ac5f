// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ControllerText.h"

#include <gtest/gtest.h>

TEST(ControllerTextTest, DecodesGbkMarksBadBytesAndDropsACharacterCutOffAtTheEnd)
{
    EXPECT_EQ(DecodeControllerText("\xB5\xE7\xCC\xDD" "A1", 6), QString("电梯A1"));
    EXPECT_EQ(DecodeControllerText("\xFF" "A", 2), QString(QChar(0xFFFD)) + "A");
    EXPECT_EQ(DecodeControllerText("A\xB5\xE7\xCC", 4), QString("A电"));
    EXPECT_EQ(DecodeControllerText("AB", 0), QString());
}

TEST(ControllerTextTest, EncodesGbkWithinTheLimitWithoutSplittingACharacter)
{
    EXPECT_EQ(EncodeControllerText("电梯12345678", 9), QByteArray("\xB5\xE7\xCC\xDD" "12345"));
    EXPECT_EQ(EncodeControllerText("电梯", 3), QByteArray("\xB5\xE7"));
    EXPECT_EQ(EncodeControllerText(QString::fromUtf8("\xF0\x9F\x98\x80") + "A", 9), QByteArray("?A"));
}
