// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/ParamCatalogue.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string FaultText(bool longFormat, int code)
{
    return CParamCatalogue::FaultText(longFormat, code).toStdString();
}

} // namespace

TEST(ParamCatalogueTest, CountsStringIdsAndTexts)
{
    const CParamCatalogue longBoard(CParamCatalogue::LongRecordMainBoard);
    EXPECT_EQ(longBoard.Count(), 173);
    EXPECT_EQ(longBoard.StringId(0), 1);
    EXPECT_EQ(longBoard.Text(6).toStdString(), "电梯额定速度");
    EXPECT_EQ(longBoard.Text(172).toStdString(), "备用");
    // id 174 holds a text, but no parameter reaches it
    EXPECT_TRUE(longBoard.Text(173).isEmpty());
    EXPECT_TRUE(longBoard.Text(-1).isEmpty());

    const CParamCatalogue shortBoard = CParamCatalogue::ForMainBoard(false);
    EXPECT_EQ(shortBoard.GetKind(), CParamCatalogue::ShortRecordMainBoard);
    EXPECT_EQ(shortBoard.Count(), 114);
    EXPECT_EQ(shortBoard.StringId(0), 355);
    EXPECT_EQ(shortBoard.Text(113).toStdString(), "48层楼显示代码");
    EXPECT_TRUE(shortBoard.Text(114).isEmpty());

    const CParamCatalogue door(CParamCatalogue::DoorMachine);
    EXPECT_EQ(door.Count(), 79);
    EXPECT_EQ(door.StringId(24), 624);
    EXPECT_EQ(door.Text(24).toStdString(), "关门减速 ");
    EXPECT_TRUE(door.Text(79).isEmpty());

    EXPECT_EQ(CParamCatalogue::ForMainBoard(true).GetKind(), CParamCatalogue::LongRecordMainBoard);
}

TEST(ParamCatalogueTest, OneByteValuesAreTheFloorDisplayCodes)
{
    const CParamCatalogue longBoard(CParamCatalogue::LongRecordMainBoard);
    EXPECT_FALSE(longBoard.IsOneByte(64));
    EXPECT_TRUE(longBoard.IsOneByte(65));
    EXPECT_TRUE(longBoard.IsOneByte(112));
    EXPECT_FALSE(longBoard.IsOneByte(113));

    const CParamCatalogue shortBoard(CParamCatalogue::ShortRecordMainBoard);
    EXPECT_FALSE(shortBoard.IsOneByte(65));
    EXPECT_TRUE(shortBoard.IsOneByte(66));
    EXPECT_TRUE(shortBoard.IsOneByte(113));

    const CParamCatalogue door(CParamCatalogue::DoorMachine);
    for (int n = 0; n < door.Count(); ++n)
        EXPECT_FALSE(door.IsOneByte(n)) << "F" << n;
}

TEST(ParamCatalogueTest, FaultTextDependsOnGeneration)
{
    EXPECT_EQ(FaultText(true, 8), "连续8秒钟没有RT-07板的CAN通讯");
    EXPECT_EQ(FaultText(false, 8), "连续10S接收不到轿厢信号");
    EXPECT_EQ(FaultText(true, 1), " ");
    EXPECT_EQ(FaultText(true, 53), "高速PI增益");
    EXPECT_EQ(FaultText(false, 44), "高速继电器触点检测，减速时高速继电器不能释放");

    // codes without text in the asked generation
    EXPECT_EQ(FaultText(true, 3), "");
    EXPECT_EQ(FaultText(false, 3), "");
    EXPECT_EQ(FaultText(true, 10), "");
    EXPECT_EQ(FaultText(false, 53), "");
    EXPECT_EQ(FaultText(true, 0), "");
}

TEST(ParamCatalogueTest, FaultCodesBeyondTheFaultTextsShowNoParameterText)
{
    // 300 + 55 and 300 + 201 would land on short-record texts, 500 + 100 on a door machine text
    EXPECT_EQ(FaultText(true, 55), "");
    EXPECT_EQ(FaultText(true, 201), "");
    EXPECT_EQ(FaultText(false, 100), "");
    EXPECT_EQ(FaultText(false, 255), "");
}
