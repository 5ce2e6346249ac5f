// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <bitset>

// The car in its shaft: it serves registered car and hall calls between floor 1
// and the top floor in collective order, drives a jerk-limited (S-shaped)
// speed curve with levelling at creep speed and cycles its door at every
// stop. Time advances only through Tick, so a test decides exactly how far
// the car gets.
class CSimCar
{
public:
    enum CallType
    {
        CarCall = 0,
        UpCall = 1,
        DownCall = 2
    };
    enum class Door
    {
        Closed,
        Opening,
        Open,
        Closing
    };
    static constexpr int kMostCallFloors = 48;

    CSimCar();

    // Floors 2 to the shaft's most; calls above the new top floor are dropped.
    void SetFloorCount(int floors);
    void SetRatedSpeed(int mmPerSecond);
    // A car that is not serving finishes its run and door cycle and then stays.
    void SetServing(bool serving) { m_serving = serving; }

    // Registers a call; false when the floor has no such call (no floor above
    // 48 or above the top, no up call at the top, no down call at floor 1).
    bool RegisterCall(int type, int floor);
    bool HasCall(int type, int floor) const;

    // Drives to floor 1 and then to the top floor without opening the door;
    // TakeLearningFinished tells once when the run is complete.
    void StartLearningRun();
    bool IsLearning() const { return m_learnPhase != 0; }
    bool TakeLearningFinished();

    void Tick(int ms);

    int FloorCount() const { return m_floorCount; }
    int Floor() const; // the floor nearest to the car
    int PositionMm() const { return static_cast<int>(m_position); }
    int SpeedMmPerSecond() const { return static_cast<int>(m_speed); } // up is positive
    int Direction() const { return m_direction; }                     // +1 up, -1 down, 0 none
    bool IsRunning() const { return m_target != 0; }
    bool IsInDoorZone() const;
    Door DoorState() const { return m_door; }
    bool IsDoorLocked() const { return m_door == Door::Closed; }
    int RunCount() const { return m_runCount; }
    void ResetRunCount() { m_runCount = 0; }

private:
    bool IsAtRest() const { return m_target == 0 && m_door == Door::Closed; }
    bool AnyCallAt(int floor) const;
    bool CallsBeyond(int floor, int dir) const;
    bool ShouldStopAt(int floor, int dir) const;
    int SearchStop(int from, int dir) const;
    int NearestCall(int from) const;
    int LastFloorPassed(int dir) const;
    void ClearCall(int type, int floor);

    void Decide();
    void DecideLearningRun();
    void StartRun(int floor);
    void Step(int ms);
    void StepMotion(double seconds);
    static double BrakingDistance(double mmPerSecond, double accel);
    void StepDoor(int ms);
    void Retarget();
    void Arrive();
    void ServeStop(int floor);

    int m_floorCount = 2;
    double m_ratedSpeed = 1750;
    bool m_serving = true;
    double m_position;
    double m_speed = 0;
    double m_accel = 0; // mm/s², along the run
    int m_target = 0; // floor the car is running to, 0 when it stands
    int m_direction = 0;
    Door m_door = Door::Closed;
    int m_doorTimerMs = 0;
    int m_runCount = 0;
    int m_learnPhase = 0; // 1 down to floor 1, 2 up to the top
    bool m_learningFinished = false;
    std::array<std::bitset<kMostCallFloors + 1>, 3> m_calls; // indexed by floor
};
