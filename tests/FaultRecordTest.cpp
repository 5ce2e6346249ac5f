// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/FaultRecord.h"

#include "link/FrameBuffer.h"
#include "sim/SimReply.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// g_reply holding `frame` over the rest of a longer, older reply.
void PutReply(const std::string& frame)
{
    memset(g_reply.Data(), '9', kFrameBufferSize - 1);
    g_reply.SetText(frame.c_str());
}

TEST(FaultRecordTest, BothGenerationsReadTheirOwnLayout)
{
    FaultRecord record;
    PutReply(CSimReply('A', '1').AddByte(3).AddByte(37).AddByte(12).AddText("2506301415").Frame());
    ASSERT_TRUE(FaultRecord::Read(true, record));
    EXPECT_EQ(record.number, "3");
    EXPECT_EQ(record.code, 37);
    EXPECT_EQ(record.floor, "12");
    EXPECT_EQ(record.time, "25-06-30 14:15");

    PutReply(CSimReply('A', '1').AddChar('B').AddByte(8).AddText("06301415").Frame());
    ASSERT_TRUE(FaultRecord::Read(false, record));
    EXPECT_EQ(record.number, "11");
    EXPECT_EQ(record.code, 8);
    EXPECT_EQ(record.floor, "");
    EXPECT_EQ(record.time, "06301415");
}

TEST(FaultRecordTest, FieldsTheReplyDoesNotCarryStayEmpty)
{
    FaultRecord record;
    // A long record whose time stamp lost its last character: the older reply
    // behind it must not complete it.
    PutReply(CSimReply('A', '1').AddByte(3).AddByte(37).AddByte(12).AddText("250630141").Frame());
    ASSERT_TRUE(FaultRecord::Read(true, record));
    EXPECT_EQ(record.code, 37);
    EXPECT_EQ(record.floor, "12");
    EXPECT_EQ(record.time, "");
    // Too short for the code: no record at all.
    PutReply(CSimReply('A', '1').AddChar('3').Frame());
    EXPECT_FALSE(FaultRecord::Read(false, record));
}

} // namespace
