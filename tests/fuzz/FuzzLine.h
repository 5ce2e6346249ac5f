// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/FrameBuffer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The controller's side of the line for targets whose page reads through
// exchanges: g_port is open on a test peer that answers the tool's requests,
// in order, with the replies of the fuzz input. The input is split at its NUL
// bytes (a frame never holds one), one reply per request; once they are used
// up the controller is silent.
//
// The waits of the exchanges do not sleep: they serve events until the answer
// to the last request lies ready on the line, so a run is as fast as the line
// and every read gets the whole answer, the same in every run of an input.
class CFuzzLine
{
public:
    // A request the tool wrote and what the read after it got (empty when
    // nothing was read before the next request).
    struct Exchange
    {
        std::string request;
        std::string reply;
    };

    // Once per process, after StartFuzzApplication().
    static CFuzzLine& Instance();

    // Sets the replies for the requests to come and forgets the exchanges so far.
    void Play(const uint8_t* data, size_t size);
    // The exchanges since Play, in order.
    const std::vector<Exchange>& Exchanges() const { return m_exchanges; }

private:
    CFuzzLine();
    void WaitForAnswer();
    std::string Answer();

    std::vector<std::string> m_replies;
    size_t m_next = 0;
    std::vector<Exchange> m_exchanges;
    int m_sent = 0;
    int m_answered = 0;
    int m_delivered = 0;
    size_t m_answerLength = 0;
    int m_watch = -1; // the line as the tool sees it, for how much waits to be read
};

// A request frame's start as the tool writes it: STX, address FF and the text.
std::string RequestStart(const std::string& lettersAndData);

// What the last of exchanges[begin, end) whose request starts with `start`
// read; empty when there is none.
std::string LastReplyTo(const std::vector<CFuzzLine::Exchange>& exchanges, const std::string& start, size_t begin = 0,
                        size_t end = SIZE_MAX);

// The bytes a read got, as the frame buffer a page decodes them from.
CFrameBuffer AsRead(const std::string& bytes);

// Plays the input's replies to `talk` (which drives a page over the line and
// returns a snapshot of everything it shows) twice, each time over other
// leftovers of an older reply in g_reply, and reports a finding when the
// snapshots differ (see RequireReplyOnly).
void PlayReplies(const uint8_t* data, size_t size, const std::function<std::string(const CFuzzLine&)>& talk);
