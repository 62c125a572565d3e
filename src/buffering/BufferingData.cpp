// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffering/BufferingData.h"

#include <algorithm>

namespace zul {

OutputBuffer::OutputBuffer()
    : values(kMaxBufferedValues, 0.0),
      sortedAll(kMaxBufferedValues, 0.0),
      sortedBetween(kMaxBufferedValues, 0.0) {}

int32_t BufferingData::HeldCount(int output) const {
    return std::clamp(header[BufferingValueSet::FinalDataPoint(output)], 0, kMaxBufferedValues);
}

void BufferingData::ClearValues() {
    std::lock_guard lock(mutex);
    for (int output = 0; output < kBufferingOutputs; ++output) {
        header[BufferingValueSet::FinalDataPoint(output)] = 0;
        header[BufferingValueSet::TriggerCount(output)] = 0;
        outputs[static_cast<size_t>(output)].cache.Clear();
    }
    header[kSlotBufferMode] = 0;
}

}  // namespace zul
