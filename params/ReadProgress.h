// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>

#include <chrono>

// How a list read item by item from the controller (the fault log's records,
// a page's parameters) stands, and the one rule for where its next read
// starts. A read that did not fill the list goes on from its gap only with
// the same controller and the same log: the line stayed up since the read
// began (no unplug, no reopen of the port), the read's first reply (fault
// record 0, which tells the generation too) comes back as it did then, and
// the values are not yet stale. Anything else, and any read of a full list,
// starts again from the beginning: a list never holds values of two
// controllers or two states of one log.
class CReadProgress
{
public:
    // Values read longer ago than this are read again before they are
    // compared with a file.
    static constexpr std::chrono::minutes kFreshFor{10};

    enum class Start { FromGap, FromBeginning };

    // Where a read starts whose first request brought firstReply (empty for
    // a list read without such a request), for a list that holds reached of
    // its total items.
    Start StartOf(const QByteArray& firstReply, int reached, int total) const;
    // A read from the beginning got firstReply: the list's values come from
    // this controller, on this line, from now on.
    void Began(const QByteArray& firstReply);

    // When the read that began the list's values began; invalid before one.
    QDateTime ReadAt() const { return m_readAt; }
    // The values are older than kFreshFor (or were never read).
    bool IsStale() const;

    // Tests only: lets every read look as if it began seconds earlier.
    static void SetClockOffset(std::chrono::seconds offset);

private:
    static std::chrono::steady_clock::time_point Now();

    QByteArray m_firstReply;
    unsigned m_lineSession = 0;
    bool m_began = false;
    std::chrono::steady_clock::time_point m_beganAt{};
    QDateTime m_readAt;
};
