// SPDX-License-Identifier: GPL-3.0-or-later
// CPU cost of every process-statistics figure for a full buffering result: 2 x 65000 values
// with both tolerance limits (summary, percentiles, within sigma, indices, shares,
// histogram, I-MR chart and the Nelson rules), once with moving ranges and once with
// subgroups of 5.
//   bench_quality_figures [repetitions]
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "quality/ProcessStatistics.h"

namespace {

// A slow drift with noise in whole millionths near 999.999, as the controller reports them.
std::vector<double> MakeValues(int output, size_t count) {
    std::vector<double> values(count);
    uint32_t noise = 12345u + static_cast<uint32_t>(output);
    for (size_t i = 0; i < count; ++i) {
        noise = noise * 1103515245u + 12345u;
        const double micro = std::round(40.0 * std::sin(static_cast<double>(i) * 0.0005) +
                                        static_cast<double>((noise >> 16) % 200));
        values[i] = (output == 0 ? 999.999 : -999.999) + (micro - 120.0) * 1e-6;
    }
    return values;
}

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    constexpr size_t kPerOutput = 65000;
    const std::vector<double> outputs[2] = {MakeValues(0, kPerOutput), MakeValues(1, kPerOutput)};
    zul::QualityOptions options[2];
    options[0].limits = {999.99985, 999.99995};
    options[1].limits = {-1000.00005, -999.99985};

    zul::QualityAnalyzer analyzer;
    zul::QualityFigures figures[2];
    for (int64_t subgroup : {int64_t{1}, int64_t{5}}) {
        std::vector<double> times;
        for (int r = 0; r < repetitions; ++r) {
            const double start = CpuSeconds();
            for (int o = 0; o < 2; ++o) {
                zul::QualityOptions run = options[o];
                run.subgroupSize = subgroup;
                if (analyzer.Analyze(outputs[o], run, figures[o]) != zul::ZUL_OK) {
                    std::fprintf(stderr, "analysis failed\n");
                    return 1;
                }
            }
            times.push_back(CpuSeconds() - start);
        }
        if (figures[0].summary.count != static_cast<int64_t>(kPerOutput) ||
            !figures[0].capability.cpk || !figures[1].capability.ppk) {
            std::fprintf(stderr, "figures missing\n");
            return 1;
        }
        std::sort(times.begin(), times.end());
        std::printf(
            "all figures of 2 x %zu values, subgroup %lld, %d runs: %zu bins, %zu violations "
            "(OUT1)\n",
            kPerOutput, static_cast<long long>(subgroup), repetitions,
            figures[0].histogram.counts.size(), figures[0].violations.size());
        std::printf("CPU time: min %.3f ms, median %.3f ms, max %.3f ms (target < 5 ms)\n",
                    times.front() * 1e3, times[times.size() / 2] * 1e3, times.back() * 1e3);
    }
    return 0;
}
