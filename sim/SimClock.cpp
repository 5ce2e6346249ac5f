// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimClock.h"

#include <cctype>
#include <cstdio>

namespace {

constexpr std::int64_t kMsPerDay = 86400000;
constexpr std::int64_t kDaysPerCentury = 36525; // 2000 to 2099: every fourth year is a leap year

bool IsLeapYear(int year)
{
    return year % 4 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

struct Date
{
    int year;
    int month;
    int day;
};

std::int64_t DayNumber(const Date& date)
{
    std::int64_t days = 0;
    for (int y = 0; y < date.year; ++y)
        days += IsLeapYear(y) ? 366 : 365;
    for (int m = 1; m < date.month; ++m)
        days += DaysInMonth(date.year, m);
    return days + date.day - 1;
}

Date DateOf(std::int64_t dayNumber)
{
    Date date{0, 1, 1};
    while (dayNumber >= (IsLeapYear(date.year) ? 366 : 365)) {
        dayNumber -= IsLeapYear(date.year) ? 366 : 365;
        ++date.year;
    }
    while (dayNumber >= DaysInMonth(date.year, date.month)) {
        dayNumber -= DaysInMonth(date.year, date.month);
        ++date.month;
    }
    date.day = static_cast<int>(dayNumber) + 1;
    return date;
}

int TwoDigits(const std::string& text, int pos)
{
    return (text[pos] - '0') * 10 + (text[pos + 1] - '0');
}

} // namespace

CSimClock::CSimClock() = default;

bool CSimClock::Set(const std::string& digits)
{
    if (digits.size() != 12)
        return false;
    for (char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    const Date date{TwoDigits(digits, 0), TwoDigits(digits, 2), TwoDigits(digits, 4)};
    const int hour = TwoDigits(digits, 6);
    const int minute = TwoDigits(digits, 8);
    const int second = TwoDigits(digits, 10);
    if (date.month < 1 || date.month > 12 || date.day < 1 || date.day > DaysInMonth(date.year, date.month)
        || hour > 23 || minute > 59 || second > 59)
        return false;
    m_ms = DayNumber(date) * kMsPerDay + ((hour * 60 + minute) * 60 + second) * std::int64_t{1000};
    return true;
}

void CSimClock::Advance(std::int64_t ms)
{
    // The two-digit year wraps from 99 back to 00.
    const std::int64_t span = kDaysPerCentury * kMsPerDay;
    m_ms = ((m_ms + ms) % span + span) % span;
}

std::string CSimClock::Text() const
{
    char text[16];
    std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", Year(), Month(), Day(), Hour(), Minute(), Second());
    return text;
}

int CSimClock::Year() const
{
    return DateOf(m_ms / kMsPerDay).year;
}

int CSimClock::Month() const
{
    return DateOf(m_ms / kMsPerDay).month;
}

int CSimClock::Day() const
{
    return DateOf(m_ms / kMsPerDay).day;
}

int CSimClock::Hour() const
{
    return static_cast<int>(m_ms % kMsPerDay / 3600000);
}

int CSimClock::Minute() const
{
    return static_cast<int>(m_ms % 3600000 / 60000);
}

int CSimClock::Second() const
{
    return static_cast<int>(m_ms % 60000 / 1000);
}
