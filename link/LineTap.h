// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string_view>

// One listener to what goes over the serial line, such as the traffic window.
// The port channel reports every write and every reply an exchange reads; the
// owner of the forwarded bytes reports each frame it assembles. While nobody
// listens a report costs one test. A write while the previous request is
// still unanswered is preceded by an empty received frame for that one. All
// reports come on the user-interface thread, where the listener is set too.
// Every report also goes to CLineState.
class CLineTap
{
public:
    struct Frame
    {
        bool sent;              // written by the tool; otherwise received
        std::string_view bytes; // empty for a read that got no reply
        int baud;               // the line rate at that moment
        bool unsolicited;       // sent by the controller on its own (a fault report)
        const char* note = nullptr; // what the tool made of it, when that is worth a word (UTF-8)
    };
    using Listener = std::function<void(const Frame&)>;

    // Returns the listener it replaces; an empty one stops listening.
    static Listener SetListener(Listener listener);
    static bool IsListening();
    static void Report(const Frame& frame);
    // A note without a frame: something the link did on its own (UTF-8).
    static void Note(const char* text);
};
