#pragma once

// Text the floor indicator shows for each floor display code the controller
// reports in its state reply (UTF-8). Codes 1 to 171 match the display code set
// the floor display code editor offers; 0, 49 and 59 show one space, 172 to 248
// show "ex" or "exex", 249 to 255 nothing.
constexpr int kFloorDisplayCodeCount = 256;
extern const char* const kFloorDisplayTexts[kFloorDisplayCodeCount];
