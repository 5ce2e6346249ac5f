// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/FrameText.h"

#include <cstdio>

namespace {

struct ControlName
{
    unsigned char byte;
    const char* text;
};

const ControlName kControlNames[] = {{0x02, "<STX>"}, {0x03, "<ETX>"}, {0x04, "<EOT>"}, {'\r', "<CR>"}};

} // namespace

std::string ReadableFrame(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size() + 10);
    for (const unsigned char byte : bytes) {
        const ControlName* name = nullptr;
        for (const ControlName& control : kControlNames)
            if (control.byte == byte)
                name = &control;
        if (name) {
            text += name->text;
        } else if (byte >= 0x20 && byte < 0x7F) {
            text += static_cast<char>(byte);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", byte);
            text += hex;
        }
    }
    return text;
}
