// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/SimAnswer.h"
#include "sim/SimCar.h"
#include "sim/SimClock.h"
#include "sim/SimFaultLog.h"
#include "sim/SimParameterSet.h"
#include "sim/SimShaft.h"

#include <array>
#include <cstdint>
#include <set>
#include <string>

class CSimRequest;

// The controller's main board: the car, its parameters of either generation,
// the fault log, identity data, clock, shaft data, floor lockout segments and
// IC cards, and the answers to every request the board knows.
class CSimMainBoard
{
public:
    enum class Mode
    {
        Automatic,
        Inspection,
        Fire,
        Independent,
        LockedOut,
        Attendant
    };
    enum class Load
    {
        Normal,
        Full,
        Over
    };
    struct Segment
    {
        int startHour = 0;
        int startMinute = 0;
        int endHour = 0;
        int endMinute = 0;
    };

    // clockStart: the clock's first reading as YYMMDDhhmmss.
    CSimMainBoard(bool longRecord, int floors, const std::string& clockStart);

    // The reply to a usable request; an empty frame for requests the board
    // does not know.
    CSimAnswer Answer(const CSimRequest& request);
    void Tick(int ms);

    // Records a fault, stops serving calls until the fault is acknowledged
    // (F6) and returns the fault report frame the board sends unasked.
    std::string ReportFault(int code);

    bool IsLongRecord() const { return m_longRecord; }
    void SetRefuseWrites(bool refuse) { m_refuseWrites = refuse; }
    void SetMode(Mode mode) { m_mode = mode; }
    void SetLoad(Load load) { m_load = load; }
    Mode GetMode() const { return m_mode; }
    Load GetLoad() const { return m_load; }

    CSimCar& Car() { return m_car; }
    const CSimCar& Car() const { return m_car; }
    CSimParameterSet& Parameters() { return m_parameters; }
    CSimFaultLog& FaultLog() { return m_faultLog; }
    const CSimShaft& Shaft() const { return m_shaft; }
    CSimClock& Clock() { return m_clock; }
    const std::string& ElevatorId() const { return m_elevatorId; }
    const std::string& Telephone() const { return m_telephone; }
    const std::string& ProgramName() const { return m_programName; }
    int ActiveFault() const { return m_activeFault; }
    Segment LockoutSegment(int floor) const;
    bool IsCardAuthorised(int card) const { return m_cards.count(card) != 0; }

    // The state bytes of the status reply and the I/O words.
    int DisplayCode() const;
    int StateByte1() const;
    int StateByte2() const;
    std::uint64_t Inputs() const;  // X0-X31 in bits 0-31, TX0-TX31 in bits 32-63
    std::uint32_t Outputs() const; // Y0-Y31

private:
    using Handler = CSimAnswer (CSimMainBoard::*)(const CSimRequest&);
    static Handler HandlerFor(char letter1, char letter2);

    CSimAnswer Status(const CSimRequest& request);
    CSimAnswer FaultRecord(const CSimRequest& request);
    CSimAnswer ElevatorIdReply(const CSimRequest& request);
    CSimAnswer Calls(const CSimRequest& request);
    CSimAnswer InputsOutputs(const CSimRequest& request);
    CSimAnswer ReadParameter(const CSimRequest& request);
    CSimAnswer ShaftValue(const CSimRequest& request);
    CSimAnswer TelephoneReply(const CSimRequest& request);
    CSimAnswer Speed(const CSimRequest& request);
    CSimAnswer ClockReply(const CSimRequest& request);
    CSimAnswer RunCountReply(const CSimRequest& request);
    CSimAnswer ProgramNameReply(const CSimRequest& request);
    CSimAnswer LockoutReply(const CSimRequest& request);
    CSimAnswer SetElevatorId(const CSimRequest& request);
    CSimAnswer SetTelephone(const CSimRequest& request);
    CSimAnswer RegisterCall(const CSimRequest& request);
    CSimAnswer StartLearning(const CSimRequest& request);
    CSimAnswer WriteParameter(const CSimRequest& request);
    CSimAnswer AcknowledgeFault(const CSimRequest& request);
    CSimAnswer SetClock(const CSimRequest& request);
    CSimAnswer SetLockout(const CSimRequest& request);
    CSimAnswer SetCard(const CSimRequest& request);
    CSimAnswer Reset(const CSimRequest& request);

    void SeedFaultLog();
    void ApplyParameters();
    bool IsServedFloor(int floor) const;
    bool IsLockedOutNow(int floor) const;
    bool IsServing() const;

    bool m_longRecord;
    CSimParameterSet m_parameters;
    CSimFaultLog m_faultLog;
    CSimCar m_car;
    CSimShaft m_shaft;
    CSimClock m_clock;
    std::string m_elevatorId = "00000001";
    std::string m_telephone = "01012345678";
    std::string m_programName;
    int m_activeFault = 0;
    Mode m_mode = Mode::Automatic;
    Load m_load = Load::Normal;
    bool m_refuseWrites = false;
    std::array<Segment, CSimShaft::kMostFloors + 1> m_segments{}; // indexed by floor
    std::set<int> m_cards;
};
