// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sim/SimAnswer.h"
#include "sim/SimParameterSet.h"

class CSimRequest;

// The door operator: 79 parameters F0 to F78, read (A5), written (F5) and
// reset (FR 3). It answers nothing else.
class CSimDoorMachine
{
public:
    CSimDoorMachine();

    CSimAnswer Answer(const CSimRequest& request);
    void SetRefuseWrites(bool refuse) { m_refuseWrites = refuse; }
    CSimParameterSet& Parameters() { return m_parameters; }

private:
    CSimAnswer ReadParameter(const CSimRequest& request);
    CSimAnswer WriteParameter(const CSimRequest& request);
    CSimAnswer Reset(const CSimRequest& request);
    bool WriteVersionCommand(int value);

    CSimParameterSet m_parameters;
    bool m_refuseWrites = false;
};
