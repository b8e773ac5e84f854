// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// How the benchmarks time their work: run it a number of times and keep the
// median (what a user meets) and the longest run.

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

namespace tembrel::bench {

struct Figures {
    double median = 0;
    double longest = 0;
};

// The median and the longest of a list of times, in milliseconds.
inline Figures figuresOf(std::vector<double> times) {
    if (times.empty())
        return {};
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.back()};
}

inline Figures timeMs(int runs, const std::function<void()> &work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return figuresOf(std::move(times));
}

} // namespace tembrel::bench
