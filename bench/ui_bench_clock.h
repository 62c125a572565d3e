// SPDX-License-Identifier: GPL-3.0-or-later
// Timing for the widget benchmarks: wall time, and the CPU time of the GUI thread, which a
// machine busy with other work disturbs much less.
#pragma once

#include <time.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace zul::bench {

struct Stamp {
    std::chrono::steady_clock::time_point wall;
    double cpuMs;
};

inline Stamp Now() {
    timespec cpu{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    return {std::chrono::steady_clock::now(), double(cpu.tv_sec) * 1e3 + double(cpu.tv_nsec) / 1e6};
}

struct Span {
    double wallMs;
    double cpuMs;
};

inline Span Between(const Stamp& from, const Stamp& to) {
    return {std::chrono::duration<double, std::milli>(to.wall - from.wall).count(),
            to.cpuMs - from.cpuMs};
}

// Medians of the wall and CPU times.
inline Span Median(std::vector<Span> spans) {
    std::vector<double> wall;
    std::vector<double> cpu;
    for (const Span& span : spans) {
        wall.push_back(span.wallMs);
        cpu.push_back(span.cpuMs);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

}  // namespace zul::bench
