// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffering/ReadDataRules.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include "buffering/DeltaDecoder.h"
#include "link/RequestBuilders.h"

namespace zul {

void SanitiseReadDataSet(BufferingValueSet& working) {
    for (int output = 0; output < kBufferingOutputs; ++output) {
        int32_t& count = working[BufferingValueSet::FinalDataPoint(output)];
        count = std::clamp(count, 0, kMaxBufferedValues);
        if (working[BufferingValueSet::StateRead(output)] != kOutputStateComplete) {
            count = 0;
        }
    }
}

bool HasBufferedData(const BufferingValueSet& working) {
    int32_t type = working[kSlotBufferType];
    for (int output = 0; output < kBufferingOutputs; ++output) {
        if (OutputInvolved(type, output) &&
            working[BufferingValueSet::FinalDataPoint(output)] > 0) {
            return true;
        }
    }
    return false;
}

void BeginDataRead(BufferingData& data, BufferingValueSet& working) {
    working[kSlotSampleTriggerStoreNum] = std::max(working[kSlotSampleTriggerStoreNum], 1);
    std::lock_guard lock(data.mutex);
    for (int slot = kSlotBufferMode; slot <= BufferingValueSet::EventCondition(1); ++slot) {
        data.header[slot] = working[slot];
    }
    for (int output = 0; output < kBufferingOutputs; ++output) {
        data.header[BufferingValueSet::FinalDataPoint(output)] = 0;
        data.header[BufferingValueSet::TriggerCount(output)] =
            working[BufferingValueSet::TriggerCount(output)];
        data.outputs[static_cast<size_t>(output)].cache.Clear();
    }
}

void BeginOutputTransfer(BufferingData& data, int output) {
    std::lock_guard lock(data.mutex);
    data.header[BufferingValueSet::FinalDataPoint(output)] = 0;
}

int32_t NextBlockCount(int32_t finalDataPoint, int32_t next) {
    if (next < 1 || next > finalDataPoint) {
        return 0;
    }
    return std::min(finalDataPoint - next + 1, kMaxValuesPerBlock);
}

std::string ValueBlockCommand(int output, int32_t first, int32_t last) {
    char text[32];
    std::snprintf(text, sizeof text, "%%EE#RLB%d%05d%05d", output == 0 ? 3 : 4,
                  std::clamp(first, 0, 99999), std::clamp(last, 0, 99999));
    return text;
}

int32_t StoreValueBlock(BufferingData& data, int output, int32_t first, int32_t count,
                        std::string_view reply, ResultInfo* info) {
    ClearResult(info);
    if (output < 0 || output >= kBufferingOutputs || first < 1 || count < 1 ||
        count > kMaxBufferedValues - first + 1) {
        return SetResult(info, ZUL_ERR);
    }
    std::lock_guard lock(data.mutex);
    OutputBuffer& buffer = data.outputs[static_cast<size_t>(output)];
    std::span<double> target(buffer.values.data() + (first - 1), static_cast<size_t>(count));
    int32_t code = DecodeValueBlock(reply, target, info);
    if (code == ZUL_ERR_COMM_RES) {
        return SetMalformedReply(info, ValueBlockCommand(output, first, first + count - 1), reply);
    }
    if (code != ZUL_OK) {
        return code;
    }
    data.header[BufferingValueSet::FinalDataPoint(output)] = first + count - 1;
    return ZUL_OK;
}

}  // namespace zul
