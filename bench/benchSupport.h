// Small helpers shared by the benchmarks.
#pragma once

#include <algorithm>
#include <chrono>
#include <sstream>
#include <string>
#include <vector>

#include "simProcess.h"

// Nanoseconds of the steady clock: the system's monotonic clock, which the simulators' arrival
// timestamps use too.
inline long long nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Median and 99th percentile of a set of samples (both 0 when there are none).
struct spread {
    double median = 0;
    double p99 = 0;
};
inline spread spreadOf(std::vector<double> samples) {
    if (samples.empty()) {
        return {};
    }
    std::sort(samples.begin(), samples.end());
    return {samples[samples.size() / 2],
            samples[std::min(samples.size() - 1, samples.size() * 99 / 100)]};
}
