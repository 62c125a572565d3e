// SPDX-License-Identifier: GPL-3.0-or-later
// A running sum that carries the rounding error of every addition (Neumaier's variant of Kahan
// summation), so that long sums of values with a large common part stay exact to the last bits.
#pragma once

#include <cmath>

namespace zul {

class CompensatedSum {
public:
    void Add(double value) {
        const double sum = sum_ + value;
        if (std::fabs(sum_) >= std::fabs(value)) {
            correction_ += (sum_ - sum) + value;
        } else {
            correction_ += (value - sum) + sum_;
        }
        sum_ = sum;
    }
    double Value() const { return sum_ + correction_; }

private:
    double sum_ = 0.0;
    double correction_ = 0.0;
};

}  // namespace zul
