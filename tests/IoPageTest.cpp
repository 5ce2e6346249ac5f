// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/IoPage.h"

#include "ui/LampStatic.h"
#include "sim/SimReply.h"
#include "tests/LivePageRig.h"

#include <QElapsedTimer>

namespace {

enum Column { kLit, kDark, kGrey };

// An A4 reply: the input digits, EOT, the output digits, checksum, ETX.
std::string IoReply(const std::string& inputs, const std::string& outputs)
{
    return CSimReply('A', '4').AddText(inputs).AddChar('\x04').AddText(outputs).Frame();
}

class IoPageTest : public LivePageRig
{
protected:
    void SetUp() override
    {
        LivePageRig::SetUp();
        m_tab->Init();
    }
    CIoPage* Page() const { return static_cast<CIoPage*>(m_tab->Page(CIoPage::kPageIndex)); }
    void Deliver(const std::string& frame) { LivePageRig::Deliver(Page(), frame); }

    // The columns of a run of lamps as one text, e.g. "0111": lit, dark, dark, dark.
    QString Inputs(int first, int count) const { return Columns(first, count, &CIoPage::InputLamp); }
    QString Outputs(int first, int count) const { return Columns(first, count, &CIoPage::OutputLamp); }
    QString Columns(int first, int count, CLampStatic* (CIoPage::*lamp)(int) const) const
    {
        QString columns;
        for (int bit = first; bit < first + count; ++bit)
            columns += QString::number((Page()->*lamp)(bit)->GetColumn());
        return columns;
    }
    int Draws() const
    {
        int draws = 0;
        for (int bit = 0; bit < CIoPage::kInputCount; ++bit)
            draws += Page()->InputLamp(bit)->DrawCount();
        for (int bit = 0; bit < CIoPage::kOutputCount; ++bit)
            draws += Page()->OutputLamp(bit)->DrawCount();
        return draws;
    }
};

QString Repeat(char column, int count)
{
    return QString(count, QChar(column));
}

} // namespace

// X0 and X31 lit, all TX dark, Y10 lit; identical replies draw no lamp, a
// reply that changes one bit draws one.
TEST_F(IoPageTest, BitsMapToTheirLampsAndOnlyChangedLampsAreDrawn)
{
    EXPECT_EQ(Inputs(0, 64) + Outputs(0, 32), Repeat('2', 96));
    const std::string reply = IoReply("0100008000000000", "00040000");
    Deliver(reply);
    EXPECT_EQ(Inputs(0, 32), "0" + Repeat('1', 30) + "0");
    EXPECT_EQ(Inputs(32, 32), Repeat('1', 32));
    EXPECT_EQ(Outputs(0, 32), Repeat('1', 10) + "0" + Repeat('1', 21));

    const int draws = Draws();
    Deliver(reply);
    EXPECT_EQ(Draws(), draws);
    Deliver(IoReply("0100008001000000", "00040000"));
    EXPECT_EQ(Draws(), draws + 1);
    EXPECT_EQ(Inputs(32, 1), "0") << "TX0";
}

// Lamps a reply does not carry keep their state; surplus digits and a lone
// last digit are ignored. Without the EOT, or with a second field shorter than
// its checksum, the outputs are left alone and the inputs still shown.
TEST_F(IoPageTest, ShortLongAndMalformedFields)
{
    Deliver(IoReply("FFFFFFFF", "FF"));
    EXPECT_EQ(Inputs(0, 64), Repeat('0', 32) + Repeat('2', 32));
    EXPECT_EQ(Outputs(0, 32), Repeat('0', 8) + Repeat('2', 24));

    Deliver(IoReply("00000000000000000000FF", "00000000FFFF"));
    EXPECT_EQ(Inputs(0, 64) + Outputs(0, 32), Repeat('1', 96));

    Deliver(IoReply("FFF", "F"));
    EXPECT_EQ(Inputs(0, 16), Repeat('0', 8) + Repeat('1', 8));
    EXPECT_EQ(Outputs(0, 8), Repeat('1', 8));

    Deliver(IoReply("00", "FF"));
    Deliver(CSimReply('A', '4').AddText("FF").Frame());
    EXPECT_EQ(Inputs(0, 16), Repeat('0', 8) + Repeat('1', 8)) << "no EOT: the inputs end before the checksum";
    EXPECT_EQ(Outputs(0, 8), Repeat('0', 8)) << "no EOT";
    Deliver("\x02" "FFA4" "00" "\x04" "0" "\x03");
    EXPECT_EQ(Inputs(0, 8), Repeat('1', 8));
    EXPECT_EQ(Outputs(0, 8), Repeat('0', 8)) << "second field shorter than the checksum";
    Deliver(CSimReply('A', '0').AddText("FFFFFF").Frame());
    EXPECT_EQ(Inputs(0, 8), Repeat('1', 8)) << "other letters";
}

// Shown, the page asks for A4 on every tick and its lamps show the
// controller's inputs and outputs.
TEST_F(IoPageTest, PollsA4EveryTickAndShowsTheControllersBits)
{
    m_tab->SelectTab(CIoPage::kPageIndex);
    ClearRequests();
    QElapsedTimer clock;
    clock.start();
    RunUntilRequests(5);
    const qint64 elapsed = clock.elapsed();
    EXPECT_GE(Requests().size(), 5u);
    EXPECT_LE(static_cast<qint64>(Requests().size()), elapsed / CTimeScale::ReplyMs(100) + 2) << "one request a tick";
    EXPECT_EQ(RequestLetters(100), std::vector<std::string>(Requests().size(), "A4"));
    const std::uint64_t inputs = m_sim->MainBoard().Inputs();
    const std::uint32_t outputs = m_sim->MainBoard().Outputs();
    for (int bit = 0; bit < 64; ++bit)
        EXPECT_EQ(Page()->InputLamp(bit)->GetColumn(), (inputs >> bit) & 1 ? kLit : kDark) << bit;
    for (int bit = 0; bit < 32; ++bit)
        EXPECT_EQ(Page()->OutputLamp(bit)->GetColumn(), (outputs >> bit) & 1 ? kLit : kDark) << bit;
}
