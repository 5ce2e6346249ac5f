// SPDX-License-Identifier: GPL-3.0-or-later
#include "res/StringTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

std::string Text(int id)
{
    return StringText(id).toStdString();
}

std::vector<int> IdsWithText(int first, int last)
{
    std::vector<int> ids;
    for (int id = first; id <= last; ++id)
        if (!StringText(id).isEmpty())
            ids.push_back(id);
    return ids;
}

} // namespace

TEST(StringTableTest, TextsAreExactIncludingBlanksAndPunctuation)
{
    struct Expected
    {
        int id;
        const char* text;
    };
    const Expected samples[] = {
        // long-record main board, id n + 1
        {1, "变频电梯模拟量速度给定时，加速斜率"},
        {3, "变频电梯模拟量速度给定时，起动时圆角时间（T0）,双速梯时，1A接触器延迟吸合时间"},
        {12, "最大楼层数（平层插板数）"},
        {26, "主板输入常开/常闭设定(对应1到16位)"},
        {38, "xxx1"},
        {39, "xxx2"},
        {40, "xxx3"},
        {61, " "},
        {64, " "},
        {66, "1层楼显示代码"},
        {113, "48层楼显示代码"},
        {114, "备用"},
        {127, " "},
        {141, "电梯ID号"},
        {152, "电话号码"},
        {153, "电梯自动无司机状态，待梯时自动关风扇、照明延时时间"},
        {162, "时间功能"},
        {173, "备用"},
        {174, "备用"},
        // long-record faults, id 300 + code
        {301, " "},
        {305, "门开关故障,包括:1.开门3秒后门锁开关不能断开;2.开门限位和关门限位开关同时动作;3.开门限位和门锁开关同时动作"},
        {323, "电梯超速运行(超过额定速度的110%或速度指令120%或返平层时速度超过16m/min)"},
        {353, "高速PI增益"},
        {354, "厅、轿门锁回路输入不一致故障"},
        // short-record main board, id n + 355
        {355, "开闸时间"},
        {413, "开通提前开门和开门再平层功能(0:都没有 1:有提前开门2:有开门再平层 3:两功能都开通)"},
        {420, "备用"},
        {421, "1层楼显示代码"},
        {468, "48层楼显示代码"},
        // short-record faults, id 500 + code
        {501, " "},
        {510, "上行时遇上多层终端减速开关时，比较写层时记录的该开关位置与当前位置比较，差距 > 0.3m，记录该故障"},
        {538, "KMB触点和抱闸开关触点比较，不一致时间>(F36*50ms),记录故障"},
        {539, "安全继电器触点和高压安全回路检测比较，不一致时间 > 2s , 记录故障"},
        {544, "高速继电器触点检测，减速时高速继电器不能释放"},
        // door machine, id n + 600
        {600, "版本号(输入9999恢复默认值，199保存参数)"},
        {624, "关门减速 "},
        {627, "关门到位力矩提升 "},
        {628, " "},
        {645, " "},
        {652, "门宽(单位:米)"},
        {655, "备用"},
        {666, " "},
        {667, "  "},
        {678, " "},
    };
    for (const Expected& sample : samples)
        EXPECT_EQ(Text(sample.id), sample.text) << "id " << sample.id;
}

TEST(StringTableTest, ParameterRangesAreComplete)
{
    EXPECT_EQ(IdsWithText(1, 174).size(), 174u);
    EXPECT_EQ(IdsWithText(355, 468).size(), 114u);
    EXPECT_EQ(IdsWithText(600, 678).size(), 79u);
}

TEST(StringTableTest, FaultRangesHoldExactlyTheCodesWithText)
{
    const std::vector<int> longIds = {301, 302, 305, 306, 307, 308, 309, 314, 315, 316,
                                      318, 322, 323, 324, 325, 326, 329, 330, 331, 332,
                                      335, 336, 337, 338, 339, 345, 353, 354};
    const std::vector<int> shortIds = {501, 502, 508, 509, 510, 511, 512, 513, 517,
                                       531, 532, 535, 536, 537, 538, 539, 540, 544};
    EXPECT_EQ(IdsWithText(301, 354), longIds);
    EXPECT_EQ(IdsWithText(501, 544), shortIds);
}

TEST(StringTableTest, IdsOutsideTheTableGiveEmptyText)
{
    for (int id : {-1, 0, 175, 300, 303, 469, 500, 545, 599, 679, 100000})
        EXPECT_TRUE(StringText(id).isEmpty()) << "id " << id;
}

// Every text of the table at once, so that a typo or a lost blank anywhere
// shows with its id: tests/StringTableTexts.txt holds "id:text" for every id
// that has a text, in id order, as the catalogue and the fault list give them.
TEST(StringTableTest, WholeTableMatchesItsListOfTexts)
{
    QFile file(QFileInfo(__FILE__).dir().filePath("StringTableTexts.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text)) << file.fileName().toStdString();
    std::map<int, std::string> expected;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
        const qsizetype colon = line.indexOf(':');
        expected[line.left(colon).toInt()] = line.mid(colon + 1).toStdString();
    }
    EXPECT_EQ(expected.size(), 413u);
    for (int id = 0; id < 1000; ++id) {
        const auto found = expected.find(id);
        EXPECT_EQ(Text(id), found == expected.end() ? std::string() : found->second) << "id " << id;
    }
}
