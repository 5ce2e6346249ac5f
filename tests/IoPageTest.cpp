#include "pages/IoPage.h"

#include "pages/LampStatic.h"
#include "sim/SimReply.h"
#include "tests/LivePageRig.h"

namespace {

constexpr int kLit = 0;
constexpr int kDark = 1;
constexpr int kGrey = 2;

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
        StartPages();
    }

    CIoPage* Page() const { return static_cast<CIoPage*>(m_tab->Page(CIoPage::kPageIndex)); }

    void Deliver(const std::string& frame)
    {
        g_reply.SetText(frame.c_str());
        Page()->OnReplyReady();
    }

    int InputColumn(int bit) const { return Page()->InputLamp(bit)->GetColumn(); }
    int OutputColumn(int bit) const { return Page()->OutputLamp(bit)->GetColumn(); }

    // SetLamp calls over all 96 lamps so far.
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

} // namespace

TEST_F(IoPageTest, LampsStartGreyAndFollowTheBitsOfBothFields)
{
    for (int bit = 0; bit < CIoPage::kInputCount; ++bit)
        ASSERT_EQ(InputColumn(bit), kGrey);
    for (int bit = 0; bit < CIoPage::kOutputCount; ++bit)
        ASSERT_EQ(OutputColumn(bit), kGrey);

    Deliver(IoReply("0100008000000000", "00040000"));
    for (int bit = 0; bit < 32; ++bit)
        EXPECT_EQ(InputColumn(bit), bit == 0 || bit == 31 ? kLit : kDark) << "X" << bit;
    for (int bit = 32; bit < 64; ++bit)
        EXPECT_EQ(InputColumn(bit), kDark) << "TX" << bit - 32;
    for (int bit = 0; bit < 32; ++bit)
        EXPECT_EQ(OutputColumn(bit), bit == 10 ? kLit : kDark) << "Y" << bit;
    EXPECT_EQ(Page()->InputLamp(0)->GetTop(), 0) << "red lamps";

    Deliver(IoReply("0000000001000000", "00000080"));
    EXPECT_EQ(InputColumn(32), kLit) << "TX0";
    EXPECT_EQ(OutputColumn(31), kLit) << "Y31";
}

// Identical replies draw nothing; a reply that changes one bit draws one lamp.
TEST_F(IoPageTest, OnlyLampsThatChangeAreDrawn)
{
    const std::string reply = IoReply("A5A5A5A55A5A5A5A", "0F0F0F0F");
    Deliver(reply);
    const int draws = Draws();
    Deliver(reply);
    EXPECT_EQ(Draws(), draws);
    Deliver(IoReply("A5A5A5A55A5A5A5A", "0F0F0F0E"));
    EXPECT_EQ(Draws(), draws + 1);
}

// Lamps a reply does not carry keep their state: a short first field leaves the
// car board's lamps grey; surplus digits and a lone last digit are ignored.
TEST_F(IoPageTest, ShortAndLongFieldsTouchOnlyTheLampsTheyCover)
{
    Deliver(IoReply("FFFFFFFF", "FF"));
    for (int bit = 0; bit < 32; ++bit)
        EXPECT_EQ(InputColumn(bit), kLit) << "X" << bit;
    for (int bit = 32; bit < 64; ++bit)
        EXPECT_EQ(InputColumn(bit), kGrey) << "TX" << bit - 32;
    for (int bit = 0; bit < 8; ++bit)
        EXPECT_EQ(OutputColumn(bit), kLit) << "Y" << bit;
    for (int bit = 8; bit < 32; ++bit)
        EXPECT_EQ(OutputColumn(bit), kGrey) << "Y" << bit;

    Deliver(IoReply("00000000000000000000FF", "00000000FFFF"));
    for (int bit = 0; bit < 64; ++bit)
        EXPECT_EQ(InputColumn(bit), kDark) << bit;
    for (int bit = 0; bit < 32; ++bit)
        EXPECT_EQ(OutputColumn(bit), kDark) << "Y" << bit;

    Deliver(IoReply("FFF", "F"));
    EXPECT_EQ(InputColumn(0), kLit);
    EXPECT_EQ(InputColumn(8), kDark) << "a lone digit is not a byte";
    EXPECT_EQ(OutputColumn(0), kDark) << "a lone digit is not a byte";
}

// Without the EOT, or with a second field shorter than the checksum, the
// outputs are left alone; the first field is still shown.
TEST_F(IoPageTest, MalformedRepliesLeaveTheOutputsAlone)
{
    Deliver(IoReply("00", "00"));
    const std::string noSeparator = CSimReply('A', '4').AddText("FF00").Frame();
    Deliver(noSeparator);
    EXPECT_EQ(InputColumn(0), kLit);
    EXPECT_EQ(OutputColumn(0), kDark);

    std::string shortSecondField = "\x02" "FFA4" "00" "\x04" "F" "\x03";
    Deliver(shortSecondField);
    EXPECT_EQ(InputColumn(0), kDark);
    for (int bit = 0; bit < 32; ++bit)
        EXPECT_EQ(OutputColumn(bit), bit < 8 ? kDark : kGrey) << "Y" << bit;

    Deliver(CSimReply('A', '0').AddText("FFFFFF").Frame());
    EXPECT_EQ(InputColumn(0), kDark) << "other letters are ignored";
}

// Shown, the page asks for A4 on every tick whether or not replies come, and
// the lamps show the controller's inputs and outputs.
TEST_F(IoPageTest, PollsA4EveryTickAndShowsTheControllersBits)
{
    m_tab->SelectTab(CIoPage::kPageIndex);
    ClearRequests();
    Run(1000);
    const std::vector<std::string> requests = Requests();
    EXPECT_GE(requests.size(), 5u);
    EXPECT_LE(requests.size(), 11u);
    for (const std::string& request : requests)
        EXPECT_EQ(request, Command('A', '4'));

    const std::uint64_t inputs = m_sim->MainBoard().Inputs();
    const std::uint32_t outputs = m_sim->MainBoard().Outputs();
    for (int bit = 0; bit < 64; ++bit)
        EXPECT_EQ(InputColumn(bit), (inputs >> bit) & 1 ? kLit : kDark) << bit;
    for (int bit = 0; bit < 32; ++bit)
        EXPECT_EQ(OutputColumn(bit), (outputs >> bit) & 1 ? kLit : kDark) << bit;

    m_script = [](const std::string&) { return std::string(); };
    DrainLine();
    ClearRequests();
    Run(500);
    EXPECT_GE(Requests().size(), 3u) << "polling goes on without replies";
}
