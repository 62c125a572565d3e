// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffering/CapabilitySample.h"

#include <algorithm>
#include <climits>

#include "buffering/BufferingStatistics.h"

namespace zul {

void SelectCapabilityValues(std::span<const double> values, const CapabilityRange& range,
                            CapabilitySample& sample) {
    sample.values.clear();
    sample.numbers.clear();
    sample.invalid = 0;
    sample.rangeActive = true;
    const auto n = static_cast<int32_t>(std::min<size_t>(values.size(), INT32_MAX));
    int32_t first = 1;
    int32_t last = n;
    if (range.betweenOnly) {
        sample.rangeActive =
            range.measuringOn && range.left <= range.right && range.left <= n && range.left >= 1;
        first = range.left;
        last = std::min(range.right, n);
    }
    if (!sample.rangeActive || n == 0) {
        sample.first = 0;
        sample.last = 0;
        return;
    }
    sample.first = first;
    sample.last = last;
    sample.values.reserve(size_t(last - first + 1));
    sample.numbers.reserve(size_t(last - first + 1));
    for (int32_t number = first; number <= last; ++number) {
        const double value = values[size_t(number - 1)];
        if (IsValidBufferedValue(value)) {
            sample.values.push_back(value);
            sample.numbers.push_back(number);
        } else {
            ++sample.invalid;
        }
    }
}

}  // namespace zul
