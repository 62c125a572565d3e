// SPDX-License-Identifier: GPL-3.0-or-later
// Buffering: the controller stores measured values of its outputs under a trigger condition.
//
// Settings are taken from the working copy when buffering starts (WBS 1):
//   BufferMode  0 store StoreNum values at once;
//               1, 4 trigger: values are stored continuously, the event of the output's
//                    EventCondition (after TriggerDelay stored values) becomes value number
//                    TriggerPoint, and storing completes StoreNum - TriggerPoint values later;
//               2 continuous: the last StoreNum values are kept until buffering is stopped;
//               3, 5 sampling trigger: each event stores SampleTriggerStoreNum values, until
//                    StoreNum values are stored.
//   BufferType  0 both outputs, 1 OUT1, 2 OUT2.
//   BufferRate  one value is stored every BufferRate samples (0 counts as 1).
//   EventCondition (per output): 0 HI comes on, 1 LOW comes on, 2 GO goes off, 3 GO comes on,
//                    4 ALARM comes on, 5 timing input comes on.
//   TriggerDelay: storing ticks between the event and the trigger; negative delays count as 0.
// Output states: 0 idle, 1 waiting for a trigger, 2 storing, 3 complete (data readable).
// Stopping (WBS 0) leaves complete outputs at 3; an output that stored values without
// completing becomes 3 with what it holds (in trigger mode only once triggered), else 0.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "SimMeasurement.h"
#include "SimMemory.h"

namespace zul::sim {

inline constexpr int32_t kMaxStoreNum = 65000;
inline constexpr int32_t kMaxStoreNumBoth = 32500;
inline constexpr int32_t kMaxValuesPerBlock = 2900;

class SimBuffering {
public:
    explicit SimBuffering(SimMemory& memory) : memory_(memory) {}

    bool Running() const { return running_; }
    // 0 when started, otherwise the controller's error number for the request.
    int Start();
    void Stop();
    void OnSample(const SimMeasurement& measurement);

    int State(int o) const { return outputs_[o].state; }
    int32_t FinalDataPoint(int o) const;
    int32_t TriggerCount(int o) const { return outputs_[o].triggerCount; }
    // Stored values in millionths (value number n at element n - 1).
    std::vector<int64_t> Values(int o) const;

    // The "RLB" reply data for values first..last (from 1), or an error number.
    int EncodeBlock(int o, int32_t first, int32_t last, std::string* data) const;

private:
    struct Output {
        bool involved = false;
        int state = 0;
        std::deque<int64_t> values;
        int64_t stored = 0;      // values stored since the start
        int64_t ticks = 0;       // storing ticks (one per BufferRate samples) since the start
        int64_t triggerAt = -1;  // stored count at the trigger value, -1 before it
        int64_t eventAt = -1;    // tick of the pending event, -1 when none is pending
        int64_t burstLeft = 0;   // sampling trigger: values still to store for this event
        int32_t triggerCount = 0;
        bool lastHi = false, lastLow = false, lastGo = false, lastAlarm = false, lastTiming = false;
    };

    bool Event(Output& out, const OutputSample& s, bool timing, int condition);
    void Store(Output& out, int64_t value);
    void Publish();

    SimMemory& memory_;
    bool running_ = false;
    int mode_ = 0;
    int32_t rate_ = 1;
    int32_t storeNum_ = 0;
    int32_t sampleTriggerNum_ = 1;
    int32_t triggerPoint_ = 1;
    int32_t delay_ = 0;
    std::array<int, 2> condition_{};
    int64_t rateCount_ = 0;
    std::array<Output, 2> outputs_{};
};

}  // namespace zul::sim
