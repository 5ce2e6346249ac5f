// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

// The controller's real-time clock: a date from 2000-01-01 to 2099-12-31 and a
// time of day, advanced by simulated milliseconds. It is read and set as twelve
// decimal digits YYMMDDhhmmss.
class CSimClock
{
public:
    CSimClock();

    // Sets the clock from twelve digits; false (and unchanged) when the text is
    // not twelve digits or names no real date and time.
    bool Set(const std::string& digits);
    void Advance(std::int64_t ms);

    std::string Text() const;
    int Year() const;   // 0 to 99
    int Month() const;  // 1 to 12
    int Day() const;    // 1 to 31
    int Hour() const;
    int Minute() const;
    int Second() const;
    int MinuteOfDay() const { return Hour() * 60 + Minute(); }

private:
    std::int64_t m_ms = 0; // milliseconds since 2000-01-01 00:00:00
};
