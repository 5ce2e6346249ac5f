// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "params/ParamCatalogue.h"

#include <QString>

// Which dialog edits a parameter, and what its value means to a reader: the
// same on a parameter page and on a file opened without a controller.
enum class ParamEditor { Lockout, BitMask, TelephoneNote, DisplayCode, Value };

// On a main board the first of these ranges that holds n names its editor:
// 161 the floor lockout, 25-31, 50-55, 134-139 and 170-172 bit masks, 145-151
// the telephone number (set on the general page), 65-113 floor display codes.
// Any other parameter, and every door machine parameter, takes a value.
ParamEditor EditorOf(CParamCatalogue::Kind kind, int n);

// A bit mask as its sixteen bits in groups of four; a one-byte display code
// by its name; nothing for any other value.
QString ReadableParamValue(const CParamCatalogue& catalogue, int n, int value);

// A bit mask as the mask dialog holds it (four upper-case hex digits, the low
// byte's pair first), and back.
QByteArray MaskDigits(int value);
int MaskValue(const char* digits);
