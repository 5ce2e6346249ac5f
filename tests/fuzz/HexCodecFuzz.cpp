// SPDX-License-Identifier: GPL-3.0-or-later
// The hex functions: parsing any text, and formatting and parsing back.

#include "link/FrameBuffer.h"
#include "tests/fuzz/FuzzHarness.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

// The value of the digits at the given offsets, read the plain way, when all
// of them are hex digits within the text.
bool PlainValue(const char* text, size_t length, std::initializer_list<int> offsets, unsigned long& value)
{
    std::string digits;
    for (int offset : offsets) {
        if (static_cast<size_t>(offset) >= length || !isxdigit(static_cast<unsigned char>(text[offset])))
            return false;
        digits += text[offset];
    }
    value = strtoul(digits.c_str(), nullptr, 16);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Exactly the input and its terminator, so a read past it shows.
    const auto text = std::make_unique<char[]>(size + 1);
    memcpy(text.get(), data, size);
    text[size] = 0;
    const char* p = text.get();
    const size_t length = strlen(p);

    const int hex1 = ParseHex1(p);
    const int hex2 = ParseHex2(p);
    const int hex4 = ParseHex4(p);
    const unsigned hex8 = ParseHex8(p);
    Require(hex1 >= 0 && hex1 <= 0xF, "ParseHex1 out of range");
    Require(hex2 >= 0 && hex2 <= 0xFF, "ParseHex2 out of range");
    Require(hex4 >= 0 && hex4 <= 0xFFFF, "ParseHex4 out of range");

    unsigned long plain = 0;
    if (PlainValue(p, length, {0}, plain))
        Require(static_cast<unsigned long>(hex1) == plain, "ParseHex1 misreads a digit");
    if (PlainValue(p, length, {0, 1}, plain))
        Require(static_cast<unsigned long>(hex2) == plain, "ParseHex2 misreads two digits");
    if (PlainValue(p, length, {2, 3, 0, 1}, plain))
        Require(static_cast<unsigned long>(hex4) == plain, "ParseHex4 misreads a low-byte-first word");
    if (PlainValue(p, length, {6, 7, 4, 5, 2, 3, 0, 1}, plain))
        Require(hex8 == plain, "ParseHex8 misreads a lowest-byte-first long");

    for (size_t i = 0; i < size; ++i) {
        const int value = data[i];
        Require(ParseHex2(HexByte(value)) == value, "HexByte does not parse back");
    }
    Require(ParseHex4(nullptr) == 0 && ParseHex8(nullptr) == 0, "a null pointer gives a value");
    return 0;
}
