// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

// What a board sends back for one request: the reply frame (empty for none)
// and how long the board works on the request before the reply leaves it.
struct CSimAnswer
{
    std::string frame;
    int delayMs = 0;
};
