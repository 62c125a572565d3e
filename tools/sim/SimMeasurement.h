// SPDX-License-Identifier: GPL-3.0-or-later
// The measuring core of the emulated controller: samples both heads at the sampling cycle and
// computes each output from the working copy's settings.
//
// Head: displacement of its target (SimMotion), corrected by the head's calibration when its two
// points are valid and the head is not in calibration mode (word 19 of the head block non-zero).
// Head alarm codes: 1 laser off, 2 target outside +-kHeadRangeMm, 3 too little received light.
//
// Output value from OutPattern: 0, 2, 8, 10 Head A; 1, 3, 9, 11 Head B; 4 A + B; 5 A - B;
// 6 B - A; 7 CalcRef - (A + B) (thickness between two opposed heads); others Head A.
// With FilterSelect 0 the value is the moving average of the last 2^AverageTimes samples
// (AverageTimes 0..12; 0 means no averaging; other FilterSelect values do not average).
// Then zero-set (the value minus ZeroSetVal while ZeroSet is 1), then OffsetInput. Judgement: HI
// above DecisionMax, LOW below DecisionMin, else GO; a HI state is left only below
// DecisionMax - DecisionHisMax, a LOW state only above DecisionMin + DecisionHisMin.
// An output in alarm (any head it uses in alarm) reports kAlarmValueMicros and no judgement.
// Timing input on: the output holds the value it had when the input went on. Reset input on:
// the output reads 0 with no judgement. STROBE toggles with every sample.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "SimMemory.h"
#include "SimMotion.h"

namespace zul::sim {

inline constexpr int64_t kAlarmValueMicros = 999999999;  // +999.999999

// Sampling cycle codes 0..5 (common word 0); other codes use the last entry.
inline constexpr std::array<int64_t, 6> kSamplePeriodUs = {100, 200, 500, 1000, 2000, 5000};

struct OutputSample {
    int64_t valueMicros = 0;
    bool strobe = false;
    bool hi = false;
    bool go = false;
    bool low = false;
    bool alarm = false;
    int alarmCode = 0;
};

struct HeadSample {
    double rawMm = 0;       // displacement of the target
    double measuredMm = 0;  // after calibration
    double lightLevel = 0;  // peak height of the received light, 0..4095
    int alarmCode = 0;
};

class SimMeasurement {
public:
    explicit SimMeasurement(SimMemory& memory);

    void SetMotion(int headIndex, const TargetMotion& motion) { motion_[headIndex].Set(motion); }
    const TargetMotion& Motion(int headIndex) const { return motion_[headIndex].Get(); }

    int64_t SamplePeriodUs() const;
    // Computes one sample at controller time t (microseconds).
    void Step(int64_t timeUs);
    uint64_t SampleCount() const { return samples_; }

    const OutputSample& Output(int outputIndex) const { return outputs_[outputIndex]; }
    const HeadSample& Head(int headIndex) const { return heads_[headIndex]; }
    // The output's value before zero-set and offset (what a zero-set takes as reference).
    double ReferenceMm(int outputIndex) const { return reference_[outputIndex]; }

    bool Timing(int o) const { return timing_[o]; }
    bool Reset(int o) const { return reset_[o]; }
    void SetTiming(int o, bool on);
    void SetReset(int o, bool on) { reset_[o] = on; }

    // Received-light peak height for a flood-light amount (1..100 %) and a reflectance.
    static double LightLevel(double floodPercent, double reflectance);

private:
    void StepHead(int h, double timeS);
    void StepOutput(int o);

    SimMemory& memory_;
    std::array<SimMotion, 2> motion_;
    std::array<HeadSample, 2> heads_{};
    std::array<OutputSample, 2> outputs_{};
    std::array<double, 2> reference_{};
    std::array<bool, 2> timing_{};
    std::array<bool, 2> reset_{};
    std::array<bool, 2> holdTaken_{};
    std::array<int64_t, 2> heldMicros_{};
    std::array<int, 2> judgement_{};  // -1 LOW, 0 GO, 1 HI
    struct Average {
        std::vector<int64_t> window;  // the last samples in millionths, as a ring
        size_t next = 0;
        size_t filled = 0;
        int64_t sum = 0;
    };
    int64_t Averaged(int o, int64_t micros);
    std::array<Average, 2> average_{};
    uint64_t samples_ = 0;
};

}  // namespace zul::sim
