// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// What every fuzz target shares: the application object, g_reply filled as a
// page finds it, and the checks that end a run with a finding.

// The application on the offscreen platform with the program's resources;
// message boxes are answered OK without a screen and counted. Once per process.
void StartFuzzApplication();
int FuzzMessageBoxCount();

// g_reply as a page finds it after a read or an assembled frame: the input up
// to its first NUL (at most what the buffer holds) over the rest of an older
// reply, here the character `stale` repeated to the buffer's end.
void PutFuzzReply(const uint8_t* data, size_t size, char stale);

// Hands the input to a decoder twice, each time over other leftovers of an
// older reply, and reports a finding when the page states the decoder leaves
// differ: the decoder read past the end of the reply. `decode` decodes
// g_reply and returns a snapshot of everything the page shows.
void RequireReplyOnly(const uint8_t* data, size_t size, const std::function<std::string()>& decode);

// Reports a finding (and ends the run) when the condition does not hold.
void Require(bool condition, const std::string& what);
