// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimMainBoard.h"

#include "sim/SimReply.h"
#include "sim/SimRequest.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kRatedSpeedParameter = 6;
constexpr int kFloorCountParameter = 11;
constexpr int kServedFloorsParameter = 29; // F29 to F31, sixteen floors each
constexpr int kTimeFunctionParameter = 161;
constexpr int kResetDelayMs = 2000;
constexpr int kLongestId = 9;
constexpr int kLongestTelephone = 13;
constexpr int kLockoutTextLength = 10;
constexpr char kEndOfInputs = 0x04;

// Inputs: main board X0-X31 in bits 0-31, car board TX0-TX31 in bits 32-63.
constexpr int kInspectionInput = 0;
constexpr int kUpSlowDownInput = 3;
constexpr int kDownSlowDownInput = 4;
constexpr int kUpLevellingInput = 5;
constexpr int kDownLevellingInput = 6;
constexpr int kDoorZoneInput = 7;
constexpr int kSafetyCircuitInput = 8;
constexpr int kDoorLockInput = 9;
constexpr int kRunContactorInput = 10;
constexpr int kBrakeContactorInput = 11;
constexpr int kBrakeSwitchInput = 12;
constexpr int kFireSwitchInput = 13;
constexpr int kLockoutSwitchInput = 14;
constexpr int kOpenLimitInput = 32;
constexpr int kCloseLimitInput = 33;
constexpr int kFullLoadInput = 35;
constexpr int kOverloadInput = 36;
constexpr int kAttendantInput = 37;
constexpr int kIndependentInput = 38;

// Outputs Y0-Y31.
constexpr int kUpOutput = 0;
constexpr int kDownOutput = 1;
constexpr int kRunContactorOutput = 2;
constexpr int kBrakeOutput = 3;
constexpr int kHighSpeedOutput = 4;
constexpr int kOpenDoorOutput = 5;
constexpr int kCloseDoorOutput = 6;
constexpr int kFireLampOutput = 7;
constexpr int kGongOutput = 8;
constexpr int kFanAndLightOutput = 9;

// Fault log entries a board has collected before the simulation starts:
// code, floor and how many hours before the start.
struct PastFault
{
    int code;
    int floor;
    int hoursAgo;
};
const PastFault kLongRecordPastFaults[] = {{18, 1, 960}, {6, 8, 480}, {37, 1, 216}, {2, 3, 120}, {23, 5, 48}};
const PastFault kShortRecordPastFaults[] = {{36, 2, 700}, {8, 6, 300}, {32, 1, 90}, {2, 3, 20}};

template <typename T>
T Bit(bool set, int bit)
{
    return set ? T{1} << bit : T{0};
}

// The text of a payload up to its CR, at most longest characters.
std::string TextBeforeCr(const std::string& payload, int longest)
{
    return payload.substr(0, payload.find('\r')).substr(0, longest);
}

bool IsWithin(int minute, const CSimMainBoard::Segment& segment)
{
    const int start = segment.startHour * 60 + segment.startMinute;
    const int end = segment.endHour * 60 + segment.endMinute;
    if (start <= end)
        return minute >= start && minute < end;
    return minute >= start || minute < end; // a segment over midnight
}

} // namespace

CSimMainBoard::CSimMainBoard(bool longRecord, int floors, const std::string& clockStart)
    : m_longRecord(longRecord)
    , m_parameters(longRecord ? CParamCatalogue::LongRecordMainBoard : CParamCatalogue::ShortRecordMainBoard, floors)
    , m_faultLog(longRecord ? 20 : 16)
    , m_shaft(floors)
    , m_programName(longRecord ? "VELORSIM-L 3.20" : "VELORSIM-S 1.08")
{
    m_clock.Set(clockStart);
    SeedFaultLog();
    ApplyParameters();
}

void CSimMainBoard::SeedFaultLog()
{
    auto add = [this](const PastFault& fault) {
        CSimClock then = m_clock;
        then.Advance(-fault.hoursAgo * std::int64_t{3600000});
        m_faultLog.Add(fault.code, fault.floor, then);
    };
    if (m_longRecord)
        for (const PastFault& fault : kLongRecordPastFaults)
            add(fault);
    else
        for (const PastFault& fault : kShortRecordPastFaults)
            add(fault);
}

CSimMainBoard::Handler CSimMainBoard::HandlerFor(char letter1, char letter2)
{
    struct Entry
    {
        char letter1;
        char letter2;
        Handler handler;
    };
    static const Entry kHandlers[] = {
        {'A', '0', &CSimMainBoard::Status},
        {'A', '1', &CSimMainBoard::FaultRecord},
        {'A', '2', &CSimMainBoard::ElevatorIdReply},
        {'A', '3', &CSimMainBoard::Calls},
        {'A', '4', &CSimMainBoard::InputsOutputs},
        {'A', '5', &CSimMainBoard::ReadParameter},
        {'A', '6', &CSimMainBoard::ShaftValue},
        {'A', '7', &CSimMainBoard::TelephoneReply},
        {'A', '8', &CSimMainBoard::Speed},
        {'A', '9', &CSimMainBoard::ClockReply},
        {'A', 'A', &CSimMainBoard::RunCountReply},
        {'A', 'B', &CSimMainBoard::ProgramNameReply},
        {'A', 'C', &CSimMainBoard::LockoutReply},
        {'F', '1', &CSimMainBoard::SetElevatorId},
        {'F', '2', &CSimMainBoard::SetTelephone},
        {'F', '3', &CSimMainBoard::RegisterCall},
        {'F', '4', &CSimMainBoard::StartLearning},
        {'F', '5', &CSimMainBoard::WriteParameter},
        {'F', '6', &CSimMainBoard::AcknowledgeFault},
        {'F', '9', &CSimMainBoard::SetClock},
        {'F', 'C', &CSimMainBoard::SetLockout},
        {'F', 'D', &CSimMainBoard::SetCard},
        {'F', 'R', &CSimMainBoard::Reset},
    };
    for (const Entry& entry : kHandlers)
        if (entry.letter1 == letter1 && entry.letter2 == letter2)
            return entry.handler;
    return nullptr;
}

CSimAnswer CSimMainBoard::Answer(const CSimRequest& request)
{
    const Handler handler = HandlerFor(request.Letter1(), request.Letter2());
    if (!handler)
        return {};
    if (m_refuseWrites && request.Letter1() == 'F')
        return {CSimReply::Acknowledgement(request, false)};
    return (this->*handler)(request);
}

void CSimMainBoard::Tick(int ms)
{
    ApplyParameters();
    m_car.Tick(ms);
    m_clock.Advance(ms);
    if (m_car.TakeLearningFinished())
        m_shaft.Relearn(m_car.FloorCount());
}

std::string CSimMainBoard::ReportFault(int code)
{
    m_faultLog.Add(code, m_car.Floor(), m_clock);
    m_activeFault = code;
    ApplyParameters();
    // Positions 5-6 floor, 7-12 time of day, 13 'C', 14-15 the code in decimal.
    char code2[8];
    std::snprintf(code2, sizeof code2, "%02d", code % 100);
    return CSimReply('E', 'R').AddByte(m_car.Floor()).AddText(m_clock.Text().substr(6, 6)).AddChar('C').AddText(code2).Frame();
}

CSimMainBoard::Segment CSimMainBoard::LockoutSegment(int floor) const
{
    return floor >= 1 && floor <= CSimShaft::kMostFloors ? m_segments[floor] : Segment{};
}

void CSimMainBoard::ApplyParameters()
{
    m_car.SetFloorCount(m_parameters.Value(kFloorCountParameter));
    m_car.SetRatedSpeed(m_parameters.Value(kRatedSpeedParameter));
    m_car.SetServing(IsServing());
}

bool CSimMainBoard::IsServing() const
{
    const bool serviceMode = m_mode == Mode::Automatic || m_mode == Mode::Independent || m_mode == Mode::Attendant;
    return serviceMode && m_activeFault == 0 && m_load != Load::Over;
}

bool CSimMainBoard::IsServedFloor(int floor) const
{
    const int mask = m_parameters.Value(kServedFloorsParameter + (floor - 1) / 16);
    return (mask >> ((floor - 1) % 16) & 1) != 0;
}

bool CSimMainBoard::IsLockedOutNow(int floor) const
{
    return m_parameters.Value(kTimeFunctionParameter) != 0 && m_parameters.Contains(kTimeFunctionParameter)
        && IsWithin(m_clock.MinuteOfDay(), LockoutSegment(floor));
}

int CSimMainBoard::DisplayCode() const
{
    const int floor = m_car.Floor();
    const int parameter = m_parameters.DisplayCodeParameter(floor);
    return parameter >= 0 ? m_parameters.Value(parameter) : floor;
}

int CSimMainBoard::StateByte1() const
{
    // Bits 0-2: the arrow, green while running (5 up, 6 down), red for a
    // direction the standing car keeps (1 up, 2 down).
    const int direction = m_car.Direction();
    const int arrow = direction == 0 ? 0 : (direction > 0 ? 1 : 2) + (m_car.IsRunning() ? 4 : 0);
    return arrow | Bit<int>(m_car.IsDoorLocked(), 3) | Bit<int>(m_mode == Mode::Inspection, 4)
        | Bit<int>(m_mode == Mode::Attendant, 5) | Bit<int>(m_mode == Mode::LockedOut, 6)
        | Bit<int>(m_mode == Mode::Independent, 7);
}

int CSimMainBoard::StateByte2() const
{
    // Bit 0 group control stays clear: the simulated car runs alone.
    const CSimCar::Door door = m_car.DoorState();
    return Bit<int>(m_mode == Mode::Fire, 1) | Bit<int>(m_load == Load::Full, 2) | Bit<int>(m_load == Load::Over, 3)
        | Bit<int>(door == CSimCar::Door::Opening, 4) | Bit<int>(door == CSimCar::Door::Closing, 5)
        | Bit<int>(true, 6) | Bit<int>(m_activeFault == 0, 7);
}

std::uint64_t CSimMainBoard::Inputs() const
{
    using u64 = std::uint64_t;
    const bool running = m_car.IsRunning();
    const bool inZone = m_car.IsInDoorZone();
    const CSimCar::Door door = m_car.DoorState();
    return Bit<u64>(m_mode == Mode::Inspection, kInspectionInput)
        | Bit<u64>(m_car.PositionMm() >= m_shaft.SwitchValue(2), kUpSlowDownInput)
        | Bit<u64>(m_car.PositionMm() <= m_shaft.SwitchValue(4), kDownSlowDownInput)
        | Bit<u64>(inZone, kUpLevellingInput) | Bit<u64>(inZone, kDownLevellingInput) | Bit<u64>(inZone, kDoorZoneInput)
        | Bit<u64>(true, kSafetyCircuitInput) | Bit<u64>(m_car.IsDoorLocked(), kDoorLockInput)
        | Bit<u64>(running, kRunContactorInput) | Bit<u64>(running, kBrakeContactorInput)
        | Bit<u64>(running, kBrakeSwitchInput) | Bit<u64>(m_mode == Mode::Fire, kFireSwitchInput)
        | Bit<u64>(m_mode == Mode::LockedOut, kLockoutSwitchInput) | Bit<u64>(door == CSimCar::Door::Open, kOpenLimitInput)
        | Bit<u64>(door == CSimCar::Door::Closed, kCloseLimitInput) | Bit<u64>(m_load == Load::Full, kFullLoadInput)
        | Bit<u64>(m_load == Load::Over, kOverloadInput) | Bit<u64>(m_mode == Mode::Attendant, kAttendantInput)
        | Bit<u64>(m_mode == Mode::Independent, kIndependentInput);
}

std::uint32_t CSimMainBoard::Outputs() const
{
    using u32 = std::uint32_t;
    const bool running = m_car.IsRunning();
    const int speed = m_car.SpeedMmPerSecond();
    const CSimCar::Door door = m_car.DoorState();
    const bool fast = std::abs(speed) * 2 > m_parameters.Value(kRatedSpeedParameter);
    return Bit<u32>(running && speed > 0, kUpOutput) | Bit<u32>(running && speed < 0, kDownOutput)
        | Bit<u32>(running, kRunContactorOutput) | Bit<u32>(running, kBrakeOutput) | Bit<u32>(fast, kHighSpeedOutput)
        | Bit<u32>(door == CSimCar::Door::Opening, kOpenDoorOutput) | Bit<u32>(door == CSimCar::Door::Closing, kCloseDoorOutput)
        | Bit<u32>(m_mode == Mode::Fire, kFireLampOutput) | Bit<u32>(door == CSimCar::Door::Opening, kGongOutput)
        | Bit<u32>(running || door != CSimCar::Door::Closed, kFanAndLightOutput);
}

CSimAnswer CSimMainBoard::Status(const CSimRequest& request)
{
    return {CSimReply(request.Letter1(), request.Letter2()).AddByte(DisplayCode()).AddByte(StateByte1()).AddByte(StateByte2()).Frame()};
}

CSimAnswer CSimMainBoard::FaultRecord(const CSimRequest& request)
{
    const int index = request.PayloadNumber();
    const CSimFaultLog::Record record = m_faultLog.At(index);
    const std::string stamp = record.code != 0 ? record.stamp : std::string(10, '0');
    CSimReply reply(request.Letter1(), request.Letter2());
    if (m_longRecord)
        reply.AddByte(index).AddByte(record.code).AddByte(record.floor).AddText(stamp);
    else
        reply.AddChar("0123456789ABCDEF"[index & 0x0F]).AddByte(record.code).AddText(stamp.substr(2, 8));
    return {reply.Frame()};
}

CSimAnswer CSimMainBoard::ElevatorIdReply(const CSimRequest& request)
{
    return {CSimReply(request.Letter1(), request.Letter2()).AddText(m_elevatorId).AddChar('\r').Frame()};
}

CSimAnswer CSimMainBoard::Calls(const CSimRequest& request)
{
    CSimReply reply(request.Letter1(), request.Letter2());
    for (int type : {CSimCar::CarCall, CSimCar::UpCall, CSimCar::DownCall})
        for (int byte = 0; byte < CSimCar::kMostCallFloors / 8; ++byte) {
            int bits = 0;
            for (int bit = 0; bit < 8; ++bit)
                bits |= Bit<int>(m_car.HasCall(type, byte * 8 + bit + 1), bit);
            reply.AddByte(bits);
        }
    return {reply.Frame()};
}

CSimAnswer CSimMainBoard::InputsOutputs(const CSimRequest& request)
{
    CSimReply reply(request.Letter1(), request.Letter2());
    const std::uint64_t inputs = Inputs();
    for (int byte = 0; byte < 8; ++byte)
        reply.AddByte(static_cast<int>(inputs >> (8 * byte)));
    reply.AddChar(kEndOfInputs);
    const std::uint32_t outputs = Outputs();
    for (int byte = 0; byte < 4; ++byte)
        reply.AddByte(static_cast<int>(outputs >> (8 * byte)));
    return {reply.Frame()};
}

CSimAnswer CSimMainBoard::ReadParameter(const CSimRequest& request)
{
    const int n = request.PayloadByte(0);
    if (!m_parameters.Contains(n))
        return {};
    return {CSimReply(request.Letter1(), request.Letter2()).AddByte(n).AddWord(m_parameters.ReplyValue(n)).Frame()};
}

CSimAnswer CSimMainBoard::ShaftValue(const CSimRequest& request)
{
    // Items 1 to 64 are floors, 0x30 to 0x34 the switch values.
    constexpr int kFirstSwitchItem = 0x30;
    const int item = request.PayloadByte(0);
    const int value = item >= kFirstSwitchItem ? m_shaft.SwitchValue(item - kFirstSwitchItem) : m_shaft.LearntLevel(item);
    return {CSimReply(request.Letter1(), request.Letter2()).AddByte(item).AddLong(static_cast<std::uint32_t>(value)).Frame()};
}

CSimAnswer CSimMainBoard::TelephoneReply(const CSimRequest& request)
{
    return {CSimReply(request.Letter1(), request.Letter2()).AddText(m_telephone).Frame()};
}

CSimAnswer CSimMainBoard::Speed(const CSimRequest& request)
{
    return {CSimReply(request.Letter1(), request.Letter2()).AddWord(m_car.SpeedMmPerSecond() & 0xFFFF).Frame()};
}

CSimAnswer CSimMainBoard::ClockReply(const CSimRequest& request)
{
    return {CSimReply(request.Letter1(), request.Letter2()).AddText(m_clock.Text()).Frame()};
}

CSimAnswer CSimMainBoard::RunCountReply(const CSimRequest& request)
{
    return {CSimReply(request.Letter1(), request.Letter2()).AddWord(m_car.RunCount()).Frame()};
}

CSimAnswer CSimMainBoard::ProgramNameReply(const CSimRequest& request)
{
    return {CSimReply(request.Letter1(), request.Letter2()).AddText(m_programName).Frame()};
}

CSimAnswer CSimMainBoard::LockoutReply(const CSimRequest& request)
{
    const int floor = request.PayloadByte(0);
    const Segment segment = LockoutSegment(floor);
    return {CSimReply(request.Letter1(), request.Letter2())
                .AddByte(floor)
                .AddByte(segment.startHour)
                .AddByte(segment.startMinute)
                .AddByte(segment.endHour)
                .AddByte(segment.endMinute)
                .Frame()};
}

CSimAnswer CSimMainBoard::SetElevatorId(const CSimRequest& request)
{
    m_elevatorId = TextBeforeCr(request.Payload(), kLongestId);
    return {CSimReply::Acknowledgement(request, true)};
}

CSimAnswer CSimMainBoard::SetTelephone(const CSimRequest& request)
{
    m_telephone = TextBeforeCr(request.Payload(), kLongestTelephone);
    return {CSimReply::Acknowledgement(request, true)};
}

CSimAnswer CSimMainBoard::RegisterCall(const CSimRequest& request)
{
    const int type = request.PayloadChar(0) - '0';
    const int floor = request.PayloadByte(1);
    const bool accepted = request.Payload().size() == 3 && floor >= 1 && IsServedFloor(floor) && !IsLockedOutNow(floor)
        && m_car.RegisterCall(type, floor);
    return {CSimReply::Acknowledgement(request, accepted)};
}

CSimAnswer CSimMainBoard::StartLearning(const CSimRequest& request)
{
    m_car.StartLearningRun();
    return {CSimReply::Acknowledgement(request, true)};
}

CSimAnswer CSimMainBoard::WriteParameter(const CSimRequest& request)
{
    const int n = request.PayloadByte(0);
    const bool accepted = request.Payload().size() == 6 && m_parameters.Contains(n);
    if (accepted) {
        m_parameters.Write(n, request.PayloadWord(2));
        ApplyParameters();
    }
    return {CSimReply::Acknowledgement(request, accepted)};
}

CSimAnswer CSimMainBoard::AcknowledgeFault(const CSimRequest& request)
{
    m_activeFault = 0;
    ApplyParameters();
    return {CSimReply::Acknowledgement(request, true)};
}

CSimAnswer CSimMainBoard::SetClock(const CSimRequest& request)
{
    return {CSimReply::Acknowledgement(request, m_clock.Set(request.Payload()))};
}

CSimAnswer CSimMainBoard::SetLockout(const CSimRequest& request)
{
    const int floor = request.PayloadByte(0);
    const Segment segment{request.PayloadByte(2), request.PayloadByte(4), request.PayloadByte(6), request.PayloadByte(8)};
    const bool accepted = request.Payload().size() == kLockoutTextLength && floor >= 1 && floor <= CSimShaft::kMostFloors
        && segment.startHour < 24 && segment.endHour < 24 && segment.startMinute < 60 && segment.endMinute < 60;
    if (accepted)
        m_segments[floor] = segment;
    return {CSimReply::Acknowledgement(request, accepted)};
}

CSimAnswer CSimMainBoard::SetCard(const CSimRequest& request)
{
    // The card state 'F' (valid) or '0' (invalid) stands where other requests
    // carry their special code.
    const char state = request.SpecialCode();
    const bool accepted = request.Payload().size() == 4 && (state == 'F' || state == '0');
    if (accepted && state == 'F')
        m_cards.insert(request.PayloadWord(0));
    if (accepted && state == '0')
        m_cards.erase(request.PayloadWord(0));
    return {CSimReply::Acknowledgement(request, accepted)};
}

CSimAnswer CSimMainBoard::Reset(const CSimRequest& request)
{
    switch (request.PayloadChar(0)) {
    case '1':
        m_car.ResetRunCount();
        return {CSimReply::Acknowledgement(request, true)};
    case '2':
        m_faultLog.Clear();
        return {CSimReply::Acknowledgement(request, true)};
    case '3':
        m_parameters.Reset();
        ApplyParameters();
        return {CSimReply::Acknowledgement(request, true), kResetDelayMs};
    default:
        return {CSimReply::Acknowledgement(request, false)};
    }
}
