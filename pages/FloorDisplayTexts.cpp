// SPDX-License-Identifier: GPL-3.0-or-later
#include "pages/FloorDisplayTexts.h"

// Ten codes a line; the comment gives the first code of the line.
const char* const kFloorDisplayTexts[kFloorDisplayCodeCount] = {
    " ", "1", "2", "3", "4", "5", "6", "7", "8", "9",  // 0
    "10", "11", "12", "13", "14", "15", "16", "17", "18", "19",  // 10
    "20", "21", "22", "23", "24", "25", "26", "27", "28", "29",  // 20
    "30", "31", "32", "33", "34", "35", "36", "37", "38", "39",  // 30
    "40", "41", "42", "43", "44", "45", "46", "47", "48", " ",  // 40
    "-1", "-2", "-3", "-4", "-5", "-6", "-7", "-8", "-9", " ",  // 50
    "B1", "B2", "B3", "B4", "B5", "B6", "B7", "B8", "B9", "B",  // 60
    "G", "M", "M1", "M2", "M3", "P", "P1", "P2", "P3", "R",  // 70
    "R1", "R2", "R3", "L", "H", "H1", "H2", "H3", "3A", "12A",  // 80
    "12B", "13A", "17A", "17B", "5A", "G1", "G2", "G3", "F", "出口",  // 90
    "C1", "C2", "C3", "C4", "C", "D1", "D2", "D3", "D4", "D",  // 100
    "1F", "2F", "3F", "4F", "5F", "1C", "2C", "3C", "4C", "49",  // 110
    "1B", "2B", "3B", "4B", "1A", "2A", "4A", "CF", "LB", "E",  // 120
    "A", "UB", "LG", "UG", "6A", "6B", "7A", "7B", "5B", "6C",  // 130
    "23A", "24A", "25A", "SB", "15A", "13B", "K", "U", "S", "EG",  // 140
    "KG", "KE1", "KE2", "KE3", "KE4", "KE5", "KE6", "KE7", "KE8", "KE9",  // 150
    "GF", "MZ", "SR", "19A", "Z", "HP", "AB", "PH", "AA", "L1",  // 160
    "L2", "L3", "ex", "ex", "ex", "ex", "ex", "ex", "ex", "ex",  // 170
    "exex", "ex", "ex", "ex", "ex", "ex", "ex", "ex", "ex", "exex",  // 180
    "ex", "ex", "ex", "ex", "ex", "ex", "ex", "ex", "exex", "ex",  // 190
    "ex", "ex", "ex", "ex", "ex", "ex", "ex", "exex", "ex", "ex",  // 200
    "ex", "ex", "ex", "ex", "ex", "ex", "exex", "ex", "ex", "ex",  // 210
    "ex", "ex", "ex", "ex", "ex", "exex", "ex", "ex", "ex", "ex",  // 220
    "ex", "ex", "ex", "ex", "exex", "ex", "ex", "ex", "ex", "ex",  // 230
    "ex", "ex", "ex", "exex", "ex", "ex", "ex", "ex", "ex", "",  // 240
    "", "", "", "", "", "",  // 250
};

QString DisplayCodeName(int code)
{
    return code <= kLastNamedDisplayCode ? QString::fromUtf8(kFloorDisplayTexts[code]) : QString::number(code);
}
