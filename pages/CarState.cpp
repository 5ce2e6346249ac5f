// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/CarState.h"

#include "pages/FloorDisplayTexts.h"

QString CarState::FloorText() const
{
    return QString::fromUtf8(kFloorDisplayTexts[floorCode & 0xFF]);
}

QString CarState::ModeText() const
{
    if (Bit(s1, 4))
        return "检修";
    if (Bit(s2, 1))
        return "消防";
    if (Bit(s1, 7))
        return "独立";
    if (Bit(s1, 6))
        return "锁梯";
    if (Bit(s1, 5))
        return "司机";
    return "自动";
}
