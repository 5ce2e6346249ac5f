// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Text the floor indicator shows for each floor display code the controller
// reports in its state reply (UTF-8). Codes 1 to 171 match the display code set
// the floor display code editor offers; 0, 49 and 59 show one space, 172 to 248
// show "ex" or "exex", 249 to 255 nothing.
constexpr int kFloorDisplayCodeCount = 256;
extern const char* const kFloorDisplayTexts[kFloorDisplayCodeCount];

// The display code set a floor can be given runs from 1 to 255 (0 is no code).
// Up to kLastNamedDisplayCode a code is named by the indicator's text for it;
// above it, where the indicator shows only marks, by its number.
constexpr int kFirstDisplayCode = 1;
constexpr int kLastDisplayCode = 255;
constexpr int kLastNamedDisplayCode = 171;

// The name of display code `code` (kFirstDisplayCode to kLastDisplayCode) in that set.
QString DisplayCodeName(int code);
