// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

// A frame as a technician reads it: printable characters as they are, the
// control characters of the protocol as <STX>, <ETX>, <EOT>, carriage return
// as <CR>, any other byte as <hh> (two upper-case hexadecimal digits). Used by
// the traffic window and by the simulated controller's trace.
std::string ReadableFrame(std::string_view bytes);
