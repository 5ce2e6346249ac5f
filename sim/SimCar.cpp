// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimCar.h"

#include "sim/SimShaft.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kStepMs = 10;
constexpr double kAcceleration = 800;   // mm/s²
constexpr double kCreepSpeed = 60;      // mm/s, the last bit before the level
constexpr double kJerk = 1000;          // mm/s³: acceleration comes and goes smoothly
constexpr double kLevellingMm = 40;     // run at creep speed onto the level
constexpr double kLearningSpeed = 500;  // mm/s
constexpr double kLowestSpeed = 100;    // mm/s, the slowest rated speed the car accepts
constexpr double kHighestSpeed = 4000;  // mm/s
constexpr int kDoorMoveMs = 1500;
constexpr int kDoorHoldMs = 3000;
constexpr int kDoorZoneMm = 100;

int Sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

CSimCar::CSimCar()
    : m_position(CSimShaft::FloorLevel(1))
{
}

void CSimCar::SetFloorCount(int floors)
{
    m_floorCount = std::clamp(floors, 2, CSimShaft::kMostFloors);
    for (int floor = m_floorCount + 1; floor <= kMostCallFloors; ++floor)
        for (int type : {CarCall, UpCall, DownCall})
            ClearCall(type, floor);
    if (m_target > m_floorCount)
        m_target = m_floorCount;
}

void CSimCar::SetRatedSpeed(int mmPerSecond)
{
    m_ratedSpeed = std::clamp<double>(mmPerSecond, kLowestSpeed, kHighestSpeed);
}

bool CSimCar::RegisterCall(int type, int floor)
{
    const int top = std::min(m_floorCount, kMostCallFloors);
    if (type < CarCall || type > DownCall || floor < 1 || floor > top)
        return false;
    if ((type == UpCall && floor == m_floorCount) || (type == DownCall && floor == 1))
        return false;
    m_calls[type][floor] = true;
    return true;
}

bool CSimCar::HasCall(int type, int floor) const
{
    return type >= CarCall && type <= DownCall && floor >= 1 && floor <= kMostCallFloors && m_calls[type][floor];
}

void CSimCar::StartLearningRun()
{
    m_learnPhase = 1;
}

bool CSimCar::TakeLearningFinished()
{
    const bool finished = m_learningFinished;
    m_learningFinished = false;
    return finished;
}

void CSimCar::Tick(int ms)
{
    while (ms > 0) {
        if (IsAtRest()) {
            Decide();
            if (IsAtRest())
                return; // nothing to do until a call comes
        }
        const int step = std::min(ms, kStepMs);
        Step(step);
        ms -= step;
    }
}

int CSimCar::Floor() const
{
    int nearest = 1;
    for (int floor = 2; floor <= m_floorCount; ++floor)
        if (std::abs(CSimShaft::FloorLevel(floor) - m_position) < std::abs(CSimShaft::FloorLevel(nearest) - m_position))
            nearest = floor;
    return nearest;
}

bool CSimCar::IsInDoorZone() const
{
    return std::abs(CSimShaft::FloorLevel(Floor()) - m_position) < kDoorZoneMm;
}

bool CSimCar::AnyCallAt(int floor) const
{
    return HasCall(CarCall, floor) || HasCall(UpCall, floor) || HasCall(DownCall, floor);
}

bool CSimCar::CallsBeyond(int floor, int dir) const
{
    for (int f = floor + dir; f >= 1 && f <= m_floorCount; f += dir)
        if (AnyCallAt(f))
            return true;
    return false;
}

// Collective order: a car travelling in dir stops for car calls and for hall
// calls in its own direction; a hall call the other way is served last, when
// nothing lies beyond it. A standing car (dir 0) serves any call.
bool CSimCar::ShouldStopAt(int floor, int dir) const
{
    if (HasCall(CarCall, floor))
        return true;
    if (dir == 0)
        return AnyCallAt(floor);
    const int sameWay = dir > 0 ? UpCall : DownCall;
    const int otherWay = dir > 0 ? DownCall : UpCall;
    return HasCall(sameWay, floor) || (HasCall(otherWay, floor) && !CallsBeyond(floor, dir));
}

int CSimCar::SearchStop(int from, int dir) const
{
    for (int floor = from + dir; floor >= 1 && floor <= m_floorCount; floor += dir)
        if (ShouldStopAt(floor, dir))
            return floor;
    return 0;
}

int CSimCar::NearestCall(int from) const
{
    for (int distance = 1; distance < m_floorCount; ++distance) {
        if (from + distance <= m_floorCount && AnyCallAt(from + distance))
            return from + distance;
        if (from - distance >= 1 && AnyCallAt(from - distance))
            return from - distance;
    }
    return 0;
}

int CSimCar::LastFloorPassed(int dir) const
{
    int passed = dir > 0 ? 1 : m_floorCount;
    for (int floor = 1; floor <= m_floorCount; ++floor) {
        const double level = CSimShaft::FloorLevel(floor);
        if (dir > 0 && level <= m_position)
            passed = floor;
        if (dir < 0 && level >= m_position)
            return floor;
    }
    return passed;
}

void CSimCar::ClearCall(int type, int floor)
{
    if (floor >= 1 && floor <= kMostCallFloors)
        m_calls[type][floor] = false;
}

void CSimCar::Decide()
{
    if (!m_serving)
        return;
    if (m_learnPhase != 0) {
        DecideLearningRun();
        return;
    }
    const int here = Floor();
    if (ShouldStopAt(here, m_direction)) {
        ServeStop(here);
        return;
    }
    int next = 0;
    if (m_direction != 0)
        next = SearchStop(here, m_direction);
    if (next == 0 && m_direction != 0)
        next = SearchStop(here, -m_direction);
    if (next == 0)
        next = NearestCall(here);
    m_direction = next != 0 ? Sign(next - here) : 0;
    if (next != 0)
        StartRun(next);
}

void CSimCar::DecideLearningRun()
{
    while (m_learnPhase != 0) {
        const int goal = m_learnPhase == 1 ? 1 : m_floorCount;
        if (m_position != CSimShaft::FloorLevel(goal)) {
            m_direction = Sign(goal - Floor());
            m_target = goal;
            return;
        }
        if (++m_learnPhase > 2) {
            m_learnPhase = 0;
            m_direction = 0;
            m_learningFinished = true;
        }
    }
}

void CSimCar::StartRun(int floor)
{
    m_target = floor;
    m_runCount = (m_runCount + 1) & 0xFFFF;
}

void CSimCar::Step(int ms)
{
    if (m_target != 0) {
        StepMotion(ms / 1000.0);
        return;
    }
    StepDoor(ms);
}

// Distance the car needs from speed v and acceleration a (up positive, along
// the run) to come down to creep speed with jerk-limited acceleration, and
// then to level at creep speed.
double CSimCar::BrakingDistance(double v, double a)
{
    double distance = kLevellingMm;
    if (a > 0) {
        // The acceleration first has to fall to 0, which still adds speed.
        const double t = a / kJerk;
        distance += v * t + a * t * t / 2 - kJerk * t * t * t / 6;
        v += a * a / (2 * kJerk);
    }
    const double drop = std::max(0.0, v - kCreepSpeed);
    const double ramp = kAcceleration * kAcceleration / kJerk; // speed lost while braking comes and goes
    const double t = drop >= ramp ? drop / kAcceleration + kAcceleration / kJerk : 2 * std::sqrt(drop / kJerk);
    return distance + (v + kCreepSpeed) / 2 * t;
}

// A jerk-limited (S-shaped) speed curve: the acceleration ramps up, holds,
// and ramps down to cruise; braking is the same mirrored down to creep speed,
// on which the car levels. The step is cut into small slices so that the
// curve does not depend on the caller's tick.
void CSimCar::StepMotion(double seconds)
{
    if (m_learnPhase == 0)
        Retarget();
    const double topSpeed = m_learnPhase != 0 ? std::min(m_ratedSpeed, kLearningSpeed) : m_ratedSpeed;
    const double level = CSimShaft::FloorLevel(m_target);
    const double dir = level - m_position > 0 ? 1 : -1;
    constexpr double kSlice = 0.005;
    for (double left = seconds; left > 1e-9; left -= kSlice) {
        const double dt = std::min(kSlice, left);
        const double distance = std::abs(level - m_position);
        double speed = std::abs(m_speed);
        double wanted = 0; // the acceleration the car steers to
        if (distance <= kLevellingMm) {
            speed = std::min(std::max(speed, kCreepSpeed), kCreepSpeed);
            m_accel = 0;
        } else if (distance <= BrakingDistance(speed, m_accel) + 1) {
            wanted = speed - kCreepSpeed > m_accel * m_accel / (2 * kJerk) ? -kAcceleration : 0;
        } else if (topSpeed - speed > m_accel * m_accel / (2 * kJerk) + 1)
            wanted = kAcceleration;
        const double step = kJerk * dt;
        m_accel = m_accel < wanted ? std::min(wanted, m_accel + step) : std::max(wanted, m_accel - step);
        if (distance > kLevellingMm)
            speed = std::clamp(speed + m_accel * dt, kCreepSpeed, topSpeed);
        const double travel = speed * dt;
        if (travel >= distance) {
            m_position = level;
            m_speed = 0;
            m_accel = 0;
            Arrive();
            return;
        }
        m_position += dir * travel;
        m_speed = dir * speed;
    }
}

// A call registered ahead of the car while it runs is served on the way when
// the car can still stop there.
void CSimCar::Retarget()
{
    const int dir = Sign(m_target - Floor());
    if (dir == 0)
        return;
    const int candidate = SearchStop(LastFloorPassed(dir), dir);
    if (candidate == 0 || Sign(m_target - candidate) != dir)
        return;
    const double distance = std::abs(CSimShaft::FloorLevel(candidate) - m_position);
    if (BrakingDistance(std::abs(m_speed), m_accel) < distance)
        m_target = candidate;
}

void CSimCar::Arrive()
{
    const int floor = m_target;
    m_target = 0;
    if (m_learnPhase != 0)
        return; // the next phase starts from Decide
    ServeStop(floor);
}

void CSimCar::ServeStop(int floor)
{
    ClearCall(CarCall, floor);
    if (m_direction != 0 && !CallsBeyond(floor, m_direction))
        m_direction = 0;
    if (m_direction == 0)
        m_direction = HasCall(UpCall, floor) ? 1 : HasCall(DownCall, floor) ? -1 : 0;
    if (m_direction > 0)
        ClearCall(UpCall, floor);
    if (m_direction < 0)
        ClearCall(DownCall, floor);
    m_door = Door::Opening;
    m_doorTimerMs = kDoorMoveMs;
}

void CSimCar::StepDoor(int ms)
{
    m_doorTimerMs -= ms;
    if (m_doorTimerMs > 0)
        return;
    switch (m_door) {
    case Door::Opening:
        m_door = Door::Open;
        m_doorTimerMs = kDoorHoldMs;
        break;
    case Door::Open:
        m_door = Door::Closing;
        m_doorTimerMs = kDoorMoveMs;
        break;
    case Door::Closing:
    case Door::Closed:
        m_door = Door::Closed;
        m_doorTimerMs = 0;
        break;
    }
}
