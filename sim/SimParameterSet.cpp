// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimParameterSet.h"

namespace {

constexpr int kAllBits = 0xFFFF;

struct FactoryValue
{
    int parameter;
    int value;
};

// Factory values that differ from 0. Main board parameters both generations
// share: F6 rated speed (mm/s), F7 motor speed, F8 encoder pulses, F9 home
// floor, F11 floor count (set from the floors argument), F29 to F31 served
// floors, F50 to F52 front doors.
const std::vector<FactoryValue> kLongRecordValues = {
    {0, 80}, {1, 80}, {2, 10}, {3, 10}, {4, 10}, {5, 10}, {6, 1750}, {7, 1450}, {8, 1024},
    {9, 1}, {12, 300}, {13, 60}, {14, 5}, {15, 3}, {16, 2}, {17, 2}, {18, 1}, {19, 1},
    {20, 60}, {21, 20}, {22, 1}, {29, kAllBits}, {30, kAllBits}, {31, kAllBits}, {32, 1},
    {33, 10}, {36, 20}, {41, 1}, {44, 1}, {45, 1300}, {46, 2500}, {47, 4000}, {48, 10},
    {49, 1}, {50, kAllBits}, {51, kAllBits}, {52, kAllBits}, {62, 45}, {64, 1}, {115, 15},
    {116, 15}, {117, 10}, {118, 10}, {120, 5}, {121, 1}, {122, 1}, {134, kAllBits},
    {135, kAllBits}, {136, kAllBits}, {137, kAllBits}, {138, kAllBits}, {139, kAllBits},
    {152, 5},
};

const std::vector<FactoryValue> kShortRecordValues = {
    {0, 5}, {1, 10}, {2, 10}, {3, 10}, {4, 10}, {5, 10}, {6, 1750}, {7, 1450}, {8, 1024},
    {9, 1}, {12, 300}, {13, 60}, {14, 5}, {15, 3}, {16, 5}, {17, 5}, {18, 1}, {19, 1},
    {20, 60}, {22, 1}, {29, kAllBits}, {30, kAllBits}, {31, kAllBits}, {36, 20}, {42, 1},
    {43, 1300}, {44, 2500}, {45, 4000}, {46, 6000}, {47, 8000}, {49, 1}, {50, kAllBits},
    {51, kAllBits}, {52, kAllBits}, {62, 45}, {64, 1},
};

// F0 is the version number; F8 the closing torque limit; F11 to F27 speeds,
// distances and torques; F46 to F54 the motor and encoder data.
const std::vector<FactoryValue> kDoorMachineValues = {
    {0, 105}, {2, 4}, {4, 30}, {5, 20}, {6, 10}, {7, 900}, {8, 150}, {10, 20}, {11, 800},
    {12, 600}, {13, 100}, {14, 100}, {15, 10}, {16, 10}, {17, 80}, {18, 80}, {19, 50},
    {20, 50}, {21, 500}, {22, 500}, {23, 500}, {24, 500}, {25, 30}, {26, 30}, {27, 50},
    {46, 8}, {47, 8}, {48, 200}, {49, 180}, {50, 20}, {51, 40}, {52, 90}, {54, 1024},
};

constexpr int kFloorCountParameter = 11;

const std::vector<FactoryValue>& FactoryValuesOf(CParamCatalogue::Kind kind)
{
    switch (kind) {
    case CParamCatalogue::LongRecordMainBoard:
        return kLongRecordValues;
    case CParamCatalogue::ShortRecordMainBoard:
        return kShortRecordValues;
    case CParamCatalogue::DoorMachine:
        break;
    }
    return kDoorMachineValues;
}

} // namespace

CSimParameterSet::CSimParameterSet(CParamCatalogue::Kind kind, int floors)
    : m_catalogue(kind)
    , m_defaults(m_catalogue.Count(), 0)
{
    for (const FactoryValue& factory : FactoryValuesOf(kind))
        m_defaults[factory.parameter] = factory.value;
    if (kind != CParamCatalogue::DoorMachine) {
        m_defaults[kFloorCountParameter] = floors;
        for (int floor = 1; floor <= 48; ++floor)
            m_defaults.at(DisplayCodeParameter(floor)) = floor; // code f shows "f"
    }
    m_values = m_defaults;
}

int CSimParameterSet::Value(int n) const
{
    return Contains(n) ? m_values[n] : 0;
}

void CSimParameterSet::Write(int n, int value16)
{
    if (Contains(n))
        m_values[n] = value16 & (IsOneByte(n) ? 0xFF : 0xFFFF);
}

int CSimParameterSet::ReplyValue(int n) const
{
    if (!IsOneByte(n))
        return Value(n);
    const int nextByte = IsOneByte(n + 1) ? Value(n + 1) : 0;
    return Value(n) | nextByte << 8;
}

int CSimParameterSet::DisplayCodeParameter(int floor) const
{
    if (floor < 1 || floor > 48)
        return -1;
    for (int n = 0; n < m_catalogue.Count(); ++n)
        if (IsOneByte(n))
            return n + floor - 1;
    return -1;
}
