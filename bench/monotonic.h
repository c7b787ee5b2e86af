#pragma once
#include <QtGlobal>
#include <time.h>

// CLOCK_MONOTONIC in nanoseconds: comparable between the benchmark and the
// probe process it starts.
inline qint64 monotonicNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}
