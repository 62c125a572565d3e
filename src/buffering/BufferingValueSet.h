// SPDX-License-Identifier: GPL-3.0-or-later
// The 25 signed slots that describe one buffering run: settings, per-output states, counts and
// the judgement results kept by the buffering window.
#pragma once

#include <array>
#include <cstdint>

namespace zul {

inline constexpr int32_t kBufferingOutputs = 2;
inline constexpr int32_t kMaxBufferedValues = 65000;

inline constexpr int kSlotBufferMode = 0;
inline constexpr int kSlotBufferType = 1;
inline constexpr int kSlotBufferRate = 2;
inline constexpr int kSlotStoreNum = 3;
inline constexpr int kSlotSampleTriggerStoreNum = 4;
inline constexpr int kSlotTriggerPoint = 5;
inline constexpr int kSlotTriggerDelay = 6;
inline constexpr int kSlotEventCondition1 = 7;   // 8 for OUT2
inline constexpr int kSlotStateRead1 = 10;       // 11 for OUT2
inline constexpr int kSlotFinalDataPoint1 = 12;  // 13 for OUT2; number of values held in a header
inline constexpr int kSlotJudgementFirst = 15;   // 15..22, pairs OUT1/OUT2
inline constexpr int kSlotTriggerCount1 = 23;    // 24 for OUT2

// BufferType values: which outputs buffer.
inline constexpr int32_t kBufferTypeBoth = 0;
inline constexpr int32_t kBufferTypeOut1 = 1;
inline constexpr int32_t kBufferTypeOut2 = 2;

// The state an output reports once its stored values are complete.
inline constexpr int32_t kOutputStateComplete = 3;

// Judgement results of one output, in the order the statistics keep them.
enum JudgementIndex : int {
    kUpperLimit1 = 0,
    kUpperLimit2 = 1,
    kLowerLimit1 = 2,
    kLowerLimit2 = 3,
};

struct BufferingValueSet {
    std::array<int32_t, 25> slot{};

    int32_t& operator[](int index) { return slot[static_cast<size_t>(index)]; }
    int32_t operator[](int index) const { return slot[static_cast<size_t>(index)]; }

    // Per-output slots; output is 0 for OUT1, 1 for OUT2.
    static constexpr int EventCondition(int output) { return kSlotEventCondition1 + output; }
    static constexpr int StateRead(int output) { return kSlotStateRead1 + output; }
    static constexpr int FinalDataPoint(int output) { return kSlotFinalDataPoint1 + output; }
    static constexpr int TriggerCount(int output) { return kSlotTriggerCount1 + output; }
    static constexpr int Judgement(int output, JudgementIndex which) {
        return kSlotJudgementFirst + 2 * static_cast<int>(which) + output;
    }

    bool operator==(const BufferingValueSet&) const = default;
};

// True when the output takes part in a run of the given BufferType.
constexpr bool OutputInvolved(int32_t bufferType, int output) {
    return output == 0 ? bufferType != kBufferTypeOut2 : bufferType != kBufferTypeOut1;
}

}  // namespace zul
