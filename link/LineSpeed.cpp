// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LineSpeed.h"

namespace {

struct Rate
{
    int baud;
    speed_t speed;
};

constexpr Rate kRates[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000},
};

} // namespace

speed_t CLineSpeed::SpeedOf(int baud)
{
    for (const Rate& rate : kRates)
        if (rate.baud == baud)
            return rate.speed;
    return B0;
}

int CLineSpeed::BaudOf(speed_t speed)
{
    for (const Rate& rate : kRates)
        if (rate.speed == speed)
            return rate.baud;
    return 0;
}

int CLineSpeed::LineBaud(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) < 0)
        return 0;
    return BaudOf(cfgetospeed(&tio));
}
