// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/StatusLine.h"
#include "ui/TemplateLoader.h"
#include "link/Exchange.h"
#include "link/LineState.h"
#include "link/LineTap.h"
#include "pages/StatusPage.h"
#include "tests/EventLoopHelpers.h"
#include "tests/LivePageRig.h"

#include <QGraphicsEffect>
#include <QLabel>

#include <algorithm>

namespace {

TEST(StatusLineTexts, StateRateGenerationAndAge)
{
    const QDateTime since(QDate(2026, 12, 8), QTime(10, 42, 13));
    const struct
    {
        CLineState::State state;
        bool open;
        const char* text;
    } kStates[] = {
        {CLineState::State::Answering, true, "通讯正常"},
        {CLineState::State::Silent, true, "无应答（自 10:42:13）"},
        {CLineState::State::Unplugged, true, "串口已断开，等待重新连接"},
        {CLineState::State::Answering, false, "串口未打开"},
    };
    for (const auto& row : kStates)
        EXPECT_EQ(CStatusLine::StateText(row.state, since, row.open), row.text);
    EXPECT_EQ(CStatusLine::RateText(9600, false), "9600 主板");
    EXPECT_EQ(CStatusLine::RateText(38400, true), "38400 门机");
    EXPECT_EQ(CStatusLine::GenerationText(173), "173 个参数");
    EXPECT_EQ(CStatusLine::GenerationText(0), "");
    const std::pair<qint64, const char*> kAges[] = {
        {-1, ""}, {300, "上次应答 0.3 秒前"}, {45000, "上次应答 45 秒前"}, {180000, "上次应答 3 分钟前"}};
    for (const auto& [ms, text] : kAges)
        EXPECT_EQ(CStatusLine::AgeText(ms), text) << ms;
}

} // namespace
