// SPDX-License-Identifier: GPL-3.0-or-later
// CPU cost of decoding and storing one full buffering read: 2 x 32500 values in "%EE#RLB"
// replies of at most 2900 values, as the read sequence receives them.
//   bench_buffering_decode [repetitions]
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "buffering/ReadDataRules.h"

namespace {

struct Block {
    int output;
    int32_t first;
    int32_t count;
    std::string reply;
};

// Replies for a smooth signal with some noise, in whole millionths.
std::vector<Block> MakeReplies(int32_t perOutput) {
    std::vector<Block> blocks;
    uint32_t noise = 12345;
    for (int output = 0; output < 2; ++output) {
        std::vector<int64_t> micro(static_cast<size_t>(perOutput));
        for (int32_t i = 0; i < perOutput; ++i) {
            noise = noise * 1103515245u + 12345u;
            double v = 12.5 * std::sin(i * 0.001) + ((noise >> 16) % 200) * 0.000001;
            micro[static_cast<size_t>(i)] = std::llround(v * 1e6);
        }
        for (int32_t next = 1; int32_t count = zul::NextBlockCount(perOutput, next);
             next += count) {
            char first[32];
            int64_t m0 = micro[static_cast<size_t>(next - 1)];
            std::snprintf(first, sizeof first, "%c%03lld.%06lld", m0 < 0 ? '-' : '+',
                          static_cast<long long>(std::llabs(m0) / 1000000),
                          static_cast<long long>(std::llabs(m0) % 1000000));
            std::string reply = std::string("%EE$RLB") + first;
            for (int32_t i = 1; i < count; ++i) {
                int64_t d = micro[static_cast<size_t>(next - 1 + i)] -
                            micro[static_cast<size_t>(next - 2 + i)];
                reply += d < 0 ? '-' : '+';
                reply += std::to_string(d < 0 ? -d : d);
            }
            blocks.push_back({output, next, count, std::move(reply)});
        }
    }
    return blocks;
}

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const int32_t perOutput = 32500;
    std::vector<Block> blocks = MakeReplies(perOutput);
    size_t bytes = 0;
    for (const Block& b : blocks) {
        bytes += b.reply.size();
    }
    auto data = std::make_unique<zul::BufferingData>();
    std::vector<double> times;
    for (int r = 0; r < repetitions; ++r) {
        double start = CpuSeconds();
        for (int output = 0; output < 2; ++output) {
            zul::BeginOutputTransfer(*data, output);
        }
        for (const Block& b : blocks) {
            if (zul::StoreValueBlock(*data, b.output, b.first, b.count, b.reply, nullptr) !=
                zul::ZUL_OK) {
                std::fprintf(stderr, "decode failed at block %d/%d\n", b.output, b.first);
                return 1;
            }
        }
        times.push_back(CpuSeconds() - start);
    }
    if (data->HeldCount(0) != perOutput || data->HeldCount(1) != perOutput) {
        std::fprintf(stderr, "wrong counts\n");
        return 1;
    }
    std::sort(times.begin(), times.end());
    std::printf("decode+store of 2 x %d values in %zu replies (%zu bytes), %d runs\n", perOutput,
                blocks.size(), bytes, repetitions);
    std::printf("CPU time per read: min %.3f ms, median %.3f ms, max %.3f ms (target < 5 ms)\n",
                times.front() * 1e3, times[times.size() / 2] * 1e3, times.back() * 1e3);
    return 0;
}
