// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimDoorMachine.h"

#include "sim/SimReply.h"
#include "sim/SimRequest.h"

namespace {

constexpr int kResetDelayMs = 2000;
// The door machine puts its acknowledgement at positions 5, 6 and 7, so both
// places where a client may look for it find it.
constexpr int kAcknowledgementLength = 3;
// F0 holds the version; writing these numbers to it is a command.
constexpr int kVersionParameter = 0;
constexpr int kRestoreDefaultsCommand = 9999;
constexpr int kSaveCommand = 199;

} // namespace

CSimDoorMachine::CSimDoorMachine()
    : m_parameters(CParamCatalogue::DoorMachine, 0)
{
}

CSimAnswer CSimDoorMachine::Answer(const CSimRequest& request)
{
    const char letter1 = request.Letter1();
    const char letter2 = request.Letter2();
    if (letter1 == 'A' && letter2 == '5')
        return ReadParameter(request);
    const bool write = letter1 == 'F' && (letter2 == '5' || (letter2 == 'R' && request.PayloadChar(0) == '3'));
    if (!write)
        return {};
    if (m_refuseWrites)
        return {CSimReply::Acknowledgement(request, false, kAcknowledgementLength)};
    return letter2 == '5' ? WriteParameter(request) : Reset(request);
}

CSimAnswer CSimDoorMachine::ReadParameter(const CSimRequest& request)
{
    const int n = request.PayloadByte(0);
    if (!m_parameters.Contains(n))
        return {};
    return {CSimReply(request.Letter1(), request.Letter2()).AddByte(n).AddWord(m_parameters.Value(n)).Frame()};
}

CSimAnswer CSimDoorMachine::WriteParameter(const CSimRequest& request)
{
    const int n = request.PayloadByte(0);
    const int value = request.PayloadWord(2);
    bool accepted = request.Payload().size() == 6 && m_parameters.Contains(n);
    if (accepted && n == kVersionParameter)
        accepted = WriteVersionCommand(value);
    else if (accepted)
        m_parameters.Write(n, value);
    return {CSimReply::Acknowledgement(request, accepted, kAcknowledgementLength)};
}

// The version cannot be changed: 9999 restores the factory values, 199 saves
// them (nothing to do in a simulation), the version itself is taken as it is
// (a saved parameter file writes it back), anything else is refused.
bool CSimDoorMachine::WriteVersionCommand(int value)
{
    if (value == kRestoreDefaultsCommand)
        m_parameters.Reset();
    return value == kRestoreDefaultsCommand || value == kSaveCommand || value == m_parameters.Value(kVersionParameter);
}

CSimAnswer CSimDoorMachine::Reset(const CSimRequest& request)
{
    m_parameters.Reset();
    return {CSimReply::Acknowledgement(request, true, kAcknowledgementLength), kResetDelayMs};
}
