// SPDX-License-Identifier: GPL-3.0-or-later
// The buffered values that take part in the process-capability figures of an output: the valid
// ones (out-of-range marks left out), all of them or those between the horizontal measure
// lines, each with its value number.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zul {

// The horizontal measure lines of an output (value numbers from 1) and whether the figures
// are restricted to the values between them.
struct CapabilityRange {
    bool betweenOnly = false;
    bool measuringOn = false;  // HorizontalMeasureDisp
    int32_t left = 1;
    int32_t right = 65000;
};

// The values that take part: the valid values (IsValidBufferedValue) in the range, in order,
// with the value number of each, so that positions in the figures (rule violations) can be
// named by the numbers the table and the graph show.
struct CapabilitySample {
    std::vector<double> values;
    std::vector<int32_t> numbers;
    int32_t first = 0;  // value numbers looked at: first..last (0..0 when none)
    int32_t last = 0;
    int64_t invalid = 0;      // out-of-range marks in first..last, left out
    bool rangeActive = true;  // false: between-lines only, but the lines give no range
};

// Fills sample from the values of an output (value number i + 1 at values[i]). With
// betweenOnly the range is the between range of the buffering statistics: active when
// measuring is on, left <= right and left <= n, covering left..min(right, n); an inactive range
// takes no value.
void SelectCapabilityValues(std::span<const double> values, const CapabilityRange& range,
                            CapabilitySample& sample);

}  // namespace zul
