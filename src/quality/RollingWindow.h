// SPDX-License-Identifier: GPL-3.0-or-later
// The latest values of a live stream, held so that they always lie in one contiguous span
// (oldest first) that QualityAnalyzer can take as it stands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zul {

// A ring of twice the capacity in which every value is written twice, capacity positions
// apart: the latest values then start at the oldest one's position without wrapping. Pushing
// is constant time and allocates nothing.
class RollingWindow {
public:
    // A capacity below 1 is taken as 1.
    explicit RollingWindow(size_t capacity);

    void Push(double value);
    void Clear();

    // The values held, oldest first.
    std::span<const double> Values() const { return {ring_.data() + head_, size_}; }
    size_t Size() const { return size_; }
    size_t Capacity() const { return capacity_; }
    // How many values were pushed since the last Clear; the oldest value held is number
    // Pushed() - Size() + 1 of the stream, so position i of Values() is value Pushed() -
    // Size() + 1 + i.
    int64_t Pushed() const { return pushed_; }

private:
    size_t capacity_;
    std::vector<double> ring_;
    size_t head_ = 0;
    size_t size_ = 0;
    int64_t pushed_ = 0;
};

}  // namespace zul
