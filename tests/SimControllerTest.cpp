// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimTestHelpers.h"

#include "params/ParamCatalogue.h"
#include "sim/SimShaft.h"

namespace {

constexpr int kFloorCountParameter = 11;

TEST_F(SimTest, RepliesAreFramesThatEchoTheLetters)
{
    for (const char* letters : {"A0", "A2", "A3", "A4", "A7", "A8", "A9", "AA", "AB"}) {
        const std::string reply = Command(letters[0], letters[1]);
        ASSERT_TRUE(IsValid(reply)) << letters;
        EXPECT_EQ(reply[0], STX);
        EXPECT_EQ(reply.substr(1, 4), std::string("FF") + letters);
        EXPECT_EQ(reply.back(), ETX);
    }
}

TEST_F(SimTest, RequestsThatAreNotForTheBoardGetNoReply)
{
    CFrameBuffer request;
    request.BuildCommand(255, 'A', '0');
    std::string badChecksum = request.Data();
    badChecksum[6] = badChecksum[6] == '0' ? '1' : '0';
    EXPECT_EQ(m_sim.HandleRequest(badChecksum, kMainBaud), "");

    request.BuildCommand(1, 'A', '0'); // another address
    EXPECT_EQ(Send(request), "");
    EXPECT_EQ(Command('A', 'Z'), "");
    EXPECT_EQ(ByteArg('A', '5', 173), ""); // no such parameter on the long-record board

    g_specialCode = 'N'; // any special code is fine
    EXPECT_NE(Command('A', '0'), "");
}

TEST_F(SimTest, EachBoardAnswersOnlyAtItsBaudRate)
{
    EXPECT_NE(Command('A', '0', kMainBaud), "");
    EXPECT_EQ(Command('A', '0', kDoorBaud), ""); // the door machine has no status
    EXPECT_EQ(Command('A', '0', 19200), "");
    EXPECT_EQ(ReadParameter(kFloorCountParameter, kMainBaud), 16);
    EXPECT_EQ(ReadParameter(11, kDoorBaud), 800); // door machine F11, opening speed
    EXPECT_EQ(ByteArg('A', '5', 11, 19200), "");
}

TEST_F(SimTest, StatusReplyShowsFloorCodeDoorLockAndRunning)
{
    // Standing at floor 1: display code 1, no arrow, door lock closed, safety
    // circuit and running bits set.
    std::string reply = Command('A', '0');
    EXPECT_EQ(Hex2(reply, 5), 1);
    EXPECT_EQ(Hex2(reply, 7), 0x08);
    EXPECT_EQ(Hex2(reply, 9), 0xC0);

    WriteParameter(64 + 1, 60); // floor 1 shows code 60, "B1"
    EXPECT_EQ(Hex2(Command('A', '0'), 5), 60);

    m_sim.MainBoard().SetMode(CSimMainBoard::Mode::Inspection);
    m_sim.MainBoard().SetLoad(CSimMainBoard::Load::Over);
    reply = Command('A', '0');
    EXPECT_EQ(Hex2(reply, 7) & 0x10, 0x10);
    EXPECT_EQ(Hex2(reply, 9) & 0x08, 0x08);
}

TEST_F(SimTest, RegisteredCallsShowInTheCallReply)
{
    EXPECT_TRUE(IsAcknowledged(RegisterCall('0', 10), "F3"));
    EXPECT_TRUE(IsAcknowledged(RegisterCall('1', 3), "F3"));
    EXPECT_TRUE(IsAcknowledged(RegisterCall('2', 16), "F3"));
    EXPECT_FALSE(IsAcknowledged(RegisterCall('1', 16), "F3")); // no up call at the top
    EXPECT_FALSE(IsAcknowledged(RegisterCall('0', 17), "F3")); // above the top floor

    const std::string reply = Command('A', '3');
    ASSERT_EQ(reply.size(), 44u); // 18 bytes of data
    EXPECT_EQ(Hex2(reply, 5 + 2), 0x02);  // car calls, floors 9-16: floor 10
    EXPECT_EQ(Hex2(reply, 17), 0x04);     // up calls, floors 1-8: floor 3
    EXPECT_EQ(Hex2(reply, 29 + 2), 0x80); // down calls, floors 9-16: floor 16
    int others = 0;
    for (int pos = 5; pos < 41; pos += 2)
        others += Hex2(reply, pos);
    EXPECT_EQ(others, 0x02 + 0x04 + 0x80);
}

TEST_F(SimTest, CarRunsToACallShowingArrowSpeedAndDoor)
{
    RegisterCall('0', 4);
    m_sim.Tick(3000);
    std::string status = Command('A', '0');
    EXPECT_EQ(Hex2(status, 7) & 0x07, 5); // green up arrow while running
    const int speed = static_cast<int16_t>(Hex4(Command('A', '8'), 5));
    EXPECT_GT(speed, 0);
    EXPECT_LE(speed, 1750);

    m_sim.Tick(20000); // arrived, door cycle under way or done
    status = Command('A', '0');
    EXPECT_EQ(Hex2(status, 5), 4);
    EXPECT_EQ(Hex4(Command('A', '8'), 5), 0);
    EXPECT_EQ(Hex2(Command('A', '3'), 5), 0); // the call is served

    RegisterCall('0', 1);
    m_sim.Tick(3000);
    EXPECT_LT(static_cast<int16_t>(Hex4(Command('A', '8'), 5)), 0); // down is negative
    EXPECT_EQ(Hex2(Command('A', '0'), 7) & 0x07, 6);
}

TEST_F(SimTest, InputsAndOutputsFollowTheCar)
{
    std::string reply = Command('A', '4');
    ASSERT_TRUE(IsValid(reply));
    ASSERT_EQ(reply[5 + 16], 0x04); // EOT after eight input bytes
    ASSERT_EQ(reply.size(), 5u + 16 + 1 + 8 + 3);
    EXPECT_EQ(Hex2(reply, 5 + 2) & 0x02, 0x02);     // X9 door lock
    EXPECT_EQ(Hex2(reply, 5 + 8) & 0x02, 0x02);     // TX1 close limit
    EXPECT_EQ(Hex2(reply, 22) & 0x04, 0x00);        // Y2 run contactor off

    RegisterCall('0', 6);
    m_sim.Tick(2000);
    reply = Command('A', '4');
    EXPECT_EQ(Hex2(reply, 22) & 0x05, 0x05); // Y0 up and Y2 run contactor
}

TEST_F(SimTest, IdentityRepliesFollowTheirSetRequests)
{
    EXPECT_TRUE(IsAcknowledged(TextArg('F', '1', "ABC123\r"), "F1"));
    std::string reply = Command('A', '2');
    EXPECT_EQ(reply.substr(5, 7), "ABC123\r");

    EXPECT_TRUE(IsAcknowledged(TextArg('F', '2', "0755123456789\r"), "F2"));
    reply = Command('A', '7');
    EXPECT_EQ(reply.substr(5, reply.size() - 8), "0755123456789");

    reply = Command('A', 'B');
    EXPECT_EQ(reply.substr(5, reply.size() - 8), m_sim.MainBoard().ProgramName());
    EXPECT_LE(reply.size() - 8, 16u);

    RegisterCall('0', 3);
    m_sim.Tick(1000);
    EXPECT_EQ(Hex4(Command('A', 'A'), 5), 1);
    CharArg('F', 'R', '1');
    EXPECT_EQ(Hex4(Command('A', 'A'), 5), 0);
}

TEST_F(SimTest, ClockRunsAndIsSetByF9)
{
    EXPECT_EQ(Command('A', '9').substr(5, 12), "250101080000");
    m_sim.Tick(61000);
    EXPECT_EQ(Command('A', '9').substr(5, 12), "250101080101");

    TextArg('F', '9', "240229235959");
    m_sim.Tick(1000);
    EXPECT_EQ(Command('A', '9').substr(5, 12), "240301000000");

    EXPECT_FALSE(IsAcknowledged(TextArg('F', '9', "230229120000"), "F9")); // no 29 February in 2023
    EXPECT_EQ(Command('A', '9').substr(5, 12), "240301000000");
}

TEST_F(SimTest, ParametersAreReadWrittenAndReset)
{
    EXPECT_EQ(ReadParameter(kFloorCountParameter), 16);
    const std::string ack = WriteParameter(kFloorCountParameter, 20);
    EXPECT_TRUE(IsAcknowledged(ack, "F5"));
    const std::string reply = ByteArg('A', '5', kFloorCountParameter);
    EXPECT_EQ(Hex2(reply, 5), kFloorCountParameter);
    EXPECT_EQ(Hex4(reply, 7), 20);

    // A bit mask written as four characters reads back as the same characters.
    CFrameBuffer request;
    request.BuildByteTextArg(255, 'F', '5', 29, "0180");
    EXPECT_TRUE(IsAcknowledged(Send(request), "F5"));
    EXPECT_EQ(ByteArg('A', '5', 29).substr(7, 4), "0180");

    EXPECT_FALSE(IsAcknowledged(WriteParameter(173, 1), "F5"));

    const std::string reset = CharArg('F', 'R', '3');
    EXPECT_TRUE(IsAcknowledged(reset, "FR", 6));
    EXPECT_EQ(m_sim.ReplyDelayMs(), 2000); // the reset takes its time, well within the tool's wait
    EXPECT_EQ(ReadParameter(kFloorCountParameter), 16);
    EXPECT_EQ(ByteArg('A', '5', 29).substr(7, 4), "FFFF");
}

TEST_F(SimTest, DisplayCodesAreOneByteParameters)
{
    WriteParameter(65, 300); // floor 1: only the low byte stays
    const std::string reply = ByteArg('A', '5', 65);
    EXPECT_EQ(Hex2(reply, 7), 300 & 0xFF);
    // The high byte pair carries the next floor's code, not a part of this one.
    EXPECT_EQ(Hex2(reply, 9), 2);
    EXPECT_EQ(Hex4(ByteArg('A', '5', 112), 7), 48); // floor 48, the last one-byte parameter
    EXPECT_EQ(Hex4(ByteArg('A', '5', 113), 7), 0);  // F113 is a 16-bit spare
}

TEST_F(SimTest, ShortRecordGenerationHasItsOwnParametersAndRecords)
{
    CSimOptions options;
    options.longRecord = false;
    m_sim = CSimController(options);

    EXPECT_EQ(ByteArg('A', '1', 0).size(), 19u); // the probe: shorter than 23
    EXPECT_NE(ByteArg('A', '5', 113), "");
    EXPECT_EQ(ByteArg('A', '5', 114), "");
    EXPECT_EQ(Hex2(ByteArg('A', '5', 66), 7), 1); // display code of floor 1

    const std::string record = CharArg('A', '1', '0');
    EXPECT_EQ(record[5], '0');
    EXPECT_EQ(Hex2(record, 6), m_sim.MainBoard().FaultLog().At(0).code);
    EXPECT_EQ(record.substr(8, 8), m_sim.MainBoard().FaultLog().At(0).stamp.substr(2, 8));
    EXPECT_EQ(CharArg('A', '1', 'F')[5], 'F'); // record 15
}

TEST_F(SimTest, FaultLogIsReadAndCleared)
{
    const std::string probe = ByteArg('A', '1', 0);
    ASSERT_EQ(probe.size(), 24u);
    const CSimFaultLog::Record newest = m_sim.MainBoard().FaultLog().At(0);
    EXPECT_EQ(Hex2(probe, 5), 0);
    EXPECT_EQ(Hex2(probe, 7), newest.code);
    EXPECT_EQ(Hex2(probe, 9), newest.floor);
    EXPECT_EQ(probe.substr(11, 10), newest.stamp);
    EXPECT_NE(newest.code, 0);
    EXPECT_EQ(Hex2(ByteArg('A', '1', 19), 5), 19);

    EXPECT_TRUE(IsAcknowledged(CharArg('F', 'R', '2'), "FR", 6));
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(Hex2(ByteArg('A', '1', i), 7), 0) << i;
}

TEST(SimFaultLogTest, PastFaultsOfBothGenerationsHaveExplanations)
{
    for (bool longRecord : {true, false}) {
        CSimOptions options;
        options.longRecord = longRecord;
        CSimController sim(options);
        CSimFaultLog& log = sim.MainBoard().FaultLog();
        EXPECT_EQ(log.Capacity(), longRecord ? 20 : 16);
        int faults = 0;
        for (int i = 0; i < log.Capacity(); ++i)
            if (log.At(i).code != 0) {
                ++faults;
                EXPECT_FALSE(CParamCatalogue::FaultText(longRecord, log.At(i).code).trimmed().isEmpty());
            }
        EXPECT_GT(faults, 2);
    }
}

TEST_F(SimTest, FaultReportCarriesItsCodeAndIsAcknowledgedByF6)
{
    const std::string report = m_sim.FaultReport(23);
    ASSERT_TRUE(IsValid(report));
    EXPECT_EQ(report[3], 'E');
    EXPECT_EQ(report.substr(14, 2), "23");
    EXPECT_EQ(m_sim.MainBoard().FaultLog().At(0).code, 23);
    EXPECT_EQ(Hex2(Command('A', '0'), 9) & 0x80, 0); // "故障" until acknowledged

    // A faulty car takes calls but does not leave.
    RegisterCall('0', 5);
    m_sim.Tick(5000);
    EXPECT_EQ(m_sim.MainBoard().Car().Floor(), 1);

    Command('F', '6');
    EXPECT_EQ(Hex2(Command('A', '0'), 9) & 0x80, 0x80);
    m_sim.Tick(5000);
    EXPECT_TRUE(m_sim.MainBoard().Car().IsRunning());
}

TEST_F(SimTest, ShaftDataIsRelearntForANewFloorCount)
{
    std::string reply = ByteArg('A', '6', 3);
    EXPECT_EQ(Hex2(reply, 5), 3);
    EXPECT_EQ(static_cast<int>(ParseHex8(reply.c_str() + 7)), CSimShaft::FloorLevel(3));
    const int vaneSum = static_cast<int>(ParseHex8(ByteArg('A', '6', 0x30).c_str() + 7));
    EXPECT_GT(vaneSum, 0);

    WriteParameter(kFloorCountParameter, 20);
    EXPECT_EQ(ParseHex8(ByteArg('A', '6', 20).c_str() + 7), 0u);
    const int upSlowDown = static_cast<int>(ParseHex8(ByteArg('A', '6', 0x32).c_str() + 7));

    EXPECT_TRUE(IsAcknowledged(Command('F', '4'), "F4"));
    m_sim.Tick(2000);
    EXPECT_TRUE(m_sim.MainBoard().Car().IsRunning()); // the learning run moves the car
    m_sim.Tick(300000);
    EXPECT_FALSE(m_sim.MainBoard().Car().IsLearning());
    EXPECT_EQ(static_cast<int>(ParseHex8(ByteArg('A', '6', 20).c_str() + 7)), CSimShaft::FloorLevel(20));
    EXPECT_GT(static_cast<int>(ParseHex8(ByteArg('A', '6', 0x32).c_str() + 7)), upSlowDown);
}

TEST_F(SimTest, LockoutSegmentsAreWrittenReadAndCheckedForRange)
{
    EXPECT_TRUE(IsAcknowledged(TextArg('F', 'C', "05081E1100"), "FC"));
    const std::string reply = ByteArg('A', 'C', 5);
    ASSERT_GE(reply.size(), 17u);
    EXPECT_EQ(reply.substr(7, 8), "081E1100");
    EXPECT_EQ(ByteArg('A', 'C', 6).substr(7, 8), "00000000");

    EXPECT_FALSE(IsAcknowledged(TextArg('F', 'C', "0518001100"), "FC")); // hour 24
    EXPECT_FALSE(IsAcknowledged(TextArg('F', 'C', "00081E1100"), "FC")); // no floor 0
    EXPECT_EQ(ByteArg('A', 'C', 5).substr(7, 8), "081E1100");
}

TEST_F(SimTest, LockedOutFloorRefusesCallsWhileTheTimeFunctionIsOn)
{
    TextArg('F', 'C', "0507000900"); // floor 5 locked 07:00 to 09:00; the clock reads 08:00
    EXPECT_TRUE(IsAcknowledged(RegisterCall('0', 5), "F3"));
    WriteParameter(161, 1);
    EXPECT_FALSE(IsAcknowledged(RegisterCall('1', 5), "F3"));
    EXPECT_TRUE(IsAcknowledged(RegisterCall('1', 6), "F3"));
}

TEST_F(SimTest, IcCardsAreAuthorisedAndRevoked)
{
    CFrameBuffer request;
    request.BuildWordCharArg(255, 'F', 'D', 1234, 'F');
    EXPECT_TRUE(IsAcknowledged(Send(request), "FD"));
    EXPECT_TRUE(m_sim.MainBoard().IsCardAuthorised(1234));
    request.BuildWordCharArg(255, 'F', 'D', 1234, '0');
    EXPECT_TRUE(IsAcknowledged(Send(request), "FD"));
    EXPECT_FALSE(m_sim.MainBoard().IsCardAuthorised(1234));
    request.BuildWordCharArg(255, 'F', 'D', 1234, 'X');
    EXPECT_FALSE(IsAcknowledged(Send(request), "FD"));
}

TEST_F(SimTest, DoorMachineParametersAreWrittenAndReset)
{
    EXPECT_EQ(ByteArg('A', '5', 78, kDoorBaud).size(), 14u);
    EXPECT_EQ(ByteArg('A', '5', 79, kDoorBaud), "");

    const std::string ack = WriteParameter(11, 700, kDoorBaud);
    EXPECT_TRUE(IsAcknowledged(ack, "F5", 5));
    EXPECT_TRUE(IsAcknowledged(ack, "F5", 7));
    EXPECT_EQ(ReadParameter(11, kDoorBaud), 700);
    EXPECT_EQ(ReadParameter(11, kMainBaud), 16); // the main board's F11 is untouched

    // The version number cannot be overwritten, but 9999 restores the defaults.
    EXPECT_FALSE(IsAcknowledged(WriteParameter(0, 5, kDoorBaud), "F5"));
    EXPECT_TRUE(IsAcknowledged(WriteParameter(0, 105, kDoorBaud), "F5"));
    EXPECT_TRUE(IsAcknowledged(WriteParameter(0, 9999, kDoorBaud), "F5"));
    EXPECT_EQ(ReadParameter(11, kDoorBaud), 800);

    WriteParameter(12, 1, kDoorBaud);
    EXPECT_TRUE(IsAcknowledged(CharArg('F', 'R', '3', kDoorBaud), "FR", 6));
    EXPECT_EQ(ReadParameter(12, kDoorBaud), 600);
    EXPECT_EQ(CharArg('F', 'R', '2', kDoorBaud), ""); // the fault log is the main board's
}

TEST_F(SimTest, MisbehaviourSpoilsRepliesOnPurpose)
{
    CSimMisbehaviour& misbehaviour = m_sim.Misbehaviour();

    misbehaviour.refuseWrites = true;
    std::string reply = WriteParameter(kFloorCountParameter, 20);
    EXPECT_TRUE(IsValid(reply));
    EXPECT_EQ(reply.substr(3, 2), "F5");
    EXPECT_NE(reply[5], 'F');
    EXPECT_EQ(ReadParameter(kFloorCountParameter), 16);
    EXPECT_FALSE(IsAcknowledged(CharArg('F', 'R', '2'), "FR", 6));
    EXPECT_NE(m_sim.MainBoard().FaultLog().At(0).code, 0);
    misbehaviour.refuseWrites = false;

    misbehaviour.wrongLetterFraction = 1;
    reply = Command('A', '0');
    EXPECT_TRUE(IsValid(reply));
    EXPECT_NE(reply.substr(3, 2), "A0");
    misbehaviour.wrongLetterFraction = 0;

    misbehaviour.badChecksumFraction = 1;
    reply = Command('A', '0');
    EXPECT_FALSE(IsValid(reply));
    EXPECT_EQ(reply.substr(3, 2), "A0");
    misbehaviour.badChecksumFraction = 0;

    misbehaviour.garbage = true;
    reply = Command('A', '0');
    EXPECT_NE(reply[0], STX);
    EXPECT_EQ(reply.find_first_of(std::string{STX, ETX, '\0'}), reply.find(STX));
    EXPECT_TRUE(IsValid(reply.substr(reply.find(STX))));
    misbehaviour.garbage = false;

    misbehaviour.latencyMs = 300;
    Command('A', '0');
    EXPECT_EQ(m_sim.ReplyDelayMs(), 300);

    misbehaviour.silent = true;
    EXPECT_EQ(Command('A', '0'), "");
}

TEST_F(SimTest, OverlongFrameHasNoEnd)
{
    const std::string frame = CSimController::OverlongFrame();
    EXPECT_EQ(frame[0], STX);
    EXPECT_GT(frame.size(), 1024u);
    EXPECT_EQ(frame.find(ETX), std::string::npos);
}

} // namespace
