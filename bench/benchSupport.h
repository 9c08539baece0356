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

// Splits a control-channel answer into its words.
inline std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;) {
        out.push_back(w);
    }
    return out;
}

// Arrival times of the messages a virtual camera logged that start with the hex prefix, oldest
// first.
inline std::vector<long long> arrivalsOf(VirtualCamera& camera, const std::string& prefix) {
    const std::vector<std::string> messages = words(camera.command("get messages"));
    const std::vector<std::string> times = words(camera.command("get times"));
    std::vector<long long> out;
    for (std::size_t i = 0; i < messages.size() && i < times.size(); ++i) {
        if (messages[i].rfind(prefix, 0) == 0) {
            out.push_back(std::stoll(times[i]));
        }
    }
    return out;
}
