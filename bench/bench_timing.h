#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace quay::bench {

// The best of several runs, in milliseconds, so that a busy shared machine skews less.
inline double bestMillis(const std::function<void()>& work) {
    using Clock = std::chrono::steady_clock;
    double best = 1e18;
    for (int run = 0; run < 7; ++run) {
        auto start = Clock::now();
        work();
        best =
            std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

// Seconds one run of action takes.
inline double seconds(const std::function<void()>& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The middle of the values (the mean of the two middle ones when their count is even).
inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return (values[(values.size() - 1) / 2] + values[values.size() / 2]) / 2;
}

// One line: our time, the peer's time in the same run, and their ratio.
inline void report(const char* what, double ours, double peer) {
    std::printf("%-44s ours %8.2f ms  peer %8.2f ms  ratio %.2f\n", what, ours, peer, ours / peer);
}

}  // namespace quay::bench
