// SPDX-License-Identifier: GPL-3.0-or-later
// Selected order statistics (the k-th smallest values) of a span, without sorting a copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zul {

// Buckets the values by magnitude in one pass, gathers only the buckets that hold a wanted
// rank in a second, and selects within those; a few small selections instead of several over
// everything. The storage is kept between calls.
class OrderStatisticSelector {
public:
    // results[i] := the value of rank ranks[i] (0 the smallest). ranks in ascending order
    // (repeats allowed), each below values.size(); min and max are the smallest and largest of
    // the values.
    void Select(std::span<const double> values, double min, double max,
                std::span<const size_t> ranks, std::span<double> results);

private:
    struct Wanted {
        int32_t bucket;
        size_t rankInBucket;
    };
    std::vector<int32_t> counts_;
    std::vector<Wanted> wanted_;
    std::vector<size_t> starts_;  // of each needed bucket in gathered_
    std::vector<size_t> fill_;
    std::vector<int32_t> slots_;
    std::vector<double> gathered_;
};

}  // namespace zul
