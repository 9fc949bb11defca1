// Small timing and memory helpers shared by the benchmarks.
#pragma once

#include <QElapsedTimer>
#include <QFile>

#include <cstdio>

// Peak resident memory of this process so far, in MB.
inline double peakResidentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return -1;
}

// Runs work `runs` times and returns the fastest time in seconds.
template <class Work> double bestSeconds(int runs, Work work)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        const double seconds = timer.nsecsElapsed() / 1e9;
        if (seconds < best)
            best = seconds;
    }
    return best;
}
