// SPDX-License-Identifier: GPL-3.0-or-later
#include "quality/OrderStatistics.h"

#include <algorithm>

namespace zul {

namespace {

constexpr int32_t kBuckets = 2048;

}  // namespace

void OrderStatisticSelector::Select(std::span<const double> values, double min, double max,
                                    std::span<const size_t> ranks, std::span<double> results) {
    if (ranks.empty()) {
        return;
    }
    if (!(max > min)) {
        std::fill(results.begin(), results.begin() + static_cast<std::ptrdiff_t>(ranks.size()),
                  min);
        return;
    }
    // The bucket of a value is monotonic in the value (a rounded difference, a product with a
    // positive factor and a truncation all keep the order), so the buckets partition the ranks.
    const double scale = kBuckets / (max - min);
    auto bucketOf = [min, scale](double value) {
        return std::min(kBuckets - 1, static_cast<int32_t>((value - min) * scale));
    };
    counts_.assign(kBuckets, 0);
    for (double value : values) {
        ++counts_[static_cast<size_t>(bucketOf(value))];
    }

    // Which bucket holds each rank, and where each needed bucket's values go.
    wanted_.resize(ranks.size());
    slots_.assign(kBuckets, -1);
    starts_.clear();
    size_t below = 0;  // values in the buckets before the current one
    int32_t bucket = 0;
    size_t gatheredSize = 0;
    for (size_t i = 0; i < ranks.size(); ++i) {
        while (below + static_cast<size_t>(counts_[static_cast<size_t>(bucket)]) <= ranks[i]) {
            below += static_cast<size_t>(counts_[static_cast<size_t>(bucket)]);
            ++bucket;
        }
        wanted_[i] = {bucket, ranks[i] - below};
        if (slots_[static_cast<size_t>(bucket)] < 0) {
            slots_[static_cast<size_t>(bucket)] = static_cast<int32_t>(starts_.size());
            starts_.push_back(gatheredSize);
            gatheredSize += static_cast<size_t>(counts_[static_cast<size_t>(bucket)]);
        }
    }
    gathered_.resize(gatheredSize);
    fill_.assign(starts_.begin(), starts_.end());
    for (double value : values) {
        const int32_t slot = slots_[static_cast<size_t>(bucketOf(value))];
        if (slot >= 0) {
            gathered_[fill_[static_cast<size_t>(slot)]++] = value;
        }
    }

    // Within each bucket, each selection works only on what lies above the one before.
    int32_t currentBucket = -1;
    size_t from = 0;
    for (size_t i = 0; i < ranks.size(); ++i) {
        const size_t begin =
            starts_[static_cast<size_t>(slots_[static_cast<size_t>(wanted_[i].bucket)])];
        const size_t end =
            begin + static_cast<size_t>(counts_[static_cast<size_t>(wanted_[i].bucket)]);
        if (wanted_[i].bucket != currentBucket) {
            currentBucket = wanted_[i].bucket;
            from = begin;
        }
        const size_t k = begin + wanted_[i].rankInBucket;
        auto first = gathered_.begin();
        if (k >= from) {
            std::nth_element(first + static_cast<std::ptrdiff_t>(from),
                             first + static_cast<std::ptrdiff_t>(k),
                             first + static_cast<std::ptrdiff_t>(end));
            from = k + 1;
        }
        results[i] = gathered_[k];
    }
}

}  // namespace zul
