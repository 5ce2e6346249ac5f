// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/LineTap.h"

#include <QDateTime>

// What the line has shown lately, as every frame that CLineTap reports tells
// it: whether the controller answers, since when it has not, when it last
// did, whether the device is there, and the controller's generation once a
// probe has told it. Everything happens on the user-interface thread.
//
// A request is unanswered from the moment it goes out until anything comes
// back. The line is silent once the oldest unanswered request has waited
// longer than kSilenceMs (a time a reply is given, see CTimeScale): a live
// page polls ten times a second, so a second without any reply is silence.
class CLineState
{
public:
    enum class State {
        Waiting,   // no reply yet since the port was opened or the device came back
        Answering, // replies come
        Silent,    // requests go out and nothing comes back
        Unplugged, // the port's device is away
    };
    static constexpr int kSilenceMs = 1000;

    // Every frame the tap reports, before its listener hears it.
    static void Note(const CLineTap::Frame& frame);
    // True when the request last written has had no reply yet and no read
    // has given up on it: the next request leaves it unanswered.
    static bool AwaitingReply();
    static int AwaitingBaud();

    // The port was opened, or its device went away or came back: what came
    // before no longer tells how the line is.
    static void Restart();
    static void SetLineUp(bool up);
    // The number of main board parameters of the controller's generation,
    // once a probe has told it; 0 while unknown.
    static void SetParameterCount(int count);
    static int ParameterCount();

    static State Current();
    static bool IsSilent() { return Current() == State::Silent; }
    // The time the oldest unanswered request went out (invalid when none is).
    static QDateTime UnansweredSince();
    // Milliseconds since the last reply; -1 when none came since Restart.
    static qint64 MsSinceLastReply();

    // Running counts, to tell what an operation heard: replies (anything
    // received) and requests that got none (a read that gave up, a poll
    // followed by the next).
    struct Counts
    {
        int replies = 0;
        int unanswered = 0;
    };
    static Counts Tally();
    // Between two tallies requests went unanswered and nothing came back.
    static bool HeardNothing(const Counts& before, const Counts& after)
    {
        return after.replies == before.replies && after.unanswered > before.unanswered;
    }
};
