#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <vector>

// Median of repeated timings, in milliseconds.
inline double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

template<typename Work>
double timeMs(Work work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

// Both sides of one run, in the other order than the run before, so that neither a warmer
// cache nor the other's writes behind always favour one of them.
template<typename First, typename Second>
void inTurn(int run, First first, Second second)
{
    if (run % 2 == 0) {
        first();
        second();
    } else {
        second();
        first();
    }
}
