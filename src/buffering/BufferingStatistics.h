// SPDX-License-Identifier: GPL-3.0-or-later
// Statistics of the buffered values of one output, as the buffering window shows them and the
// buffering data file stores them.
#pragma once

#include "buffering/BufferingData.h"

namespace zul {

// Values outside this open interval are invalid (the controller's out-of-range marks) and take
// part in no statistic.
inline constexpr double kValidValueLimit = 950.0000001;

constexpr bool IsValidBufferedValue(double value) {
    return value > -kValidValueLimit && value < kValidValueLimit;
}

// Computes the statistics record of the output (0 OUT1, 1 OUT2) from its values, measure lines
// and the judgement results in status (slots 15..22). Takes the lock of data.
void ComputeOutputStatistics(BufferingData& data, int output, const BufferingValueSet& status);

// Both outputs, one lock hold each.
void ComputeBufferingStatistics(BufferingData& data, const BufferingValueSet& status);

}  // namespace zul
