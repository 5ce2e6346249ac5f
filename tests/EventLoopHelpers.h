// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>
#include <sys/resource.h>

// Serves events for ms milliseconds as the program's event loop does
// (QTest::qWait would serve the port's forwarded bytes only every 10 ms).
inline void RunEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Serves events until done() holds, at most timeoutMs; returns done().
inline bool RunEventLoopUntil(const std::function<bool()>& done, int timeoutMs = 3000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        RunEventLoop(10);
    return done();
}

// Processor time the test program has used so far, in milliseconds.
inline double ProcessCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0
         + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}
