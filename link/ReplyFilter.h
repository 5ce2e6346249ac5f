// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

// Tells a read's own reply from a frame that is not its answer: the late reply
// of an earlier request (a poll, a write sent without a read), a fault report.
// A whole frame (STX ... ETX) at the front of what the read collected whose
// letters are not the request's is set aside together with anything before
// it, and the read goes on for its own within the same give-up time. When its
// own never comes, the read ends with the first frame it set aside, as it
// would have without the filter, so that the acceptance test of the exchange
// judges what the controller sent.
class CReplyFilter
{
public:
    // letters: the two letters the reply echoes; null sets nothing aside.
    explicit CReplyFilter(const char* letters);

    // Sets aside the foreign frames at the front of buffer[0, stored) and
    // moves the rest to the front; returns the count left.
    int Sift(char* buffer, int stored);
    bool SetAnyAside() const { return !m_setAside.empty(); }
    // Puts the first frame set aside back as the read's result (its own reply
    // never completed); returns its count.
    int Restore(char* buffer);
    // Tells the line's listener about every frame that stayed set aside.
    void ReportSetAside(int baud) const;

    // Whether buffer[0, stored) holds a whole frame: an ETX behind an STX.
    static bool HoldsWholeFrame(const char* buffer, int stored);

private:
    bool m_filtering;
    char m_letters[2] = {0, 0};
    std::vector<std::string> m_setAside;
    bool m_restored = false;
};
