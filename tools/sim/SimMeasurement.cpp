// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimMeasurement.h"

#include <algorithm>
#include <cmath>

#include "SimFields.h"

namespace zul::sim {

namespace {

constexpr double kMicro = 0.000001;
constexpr double kMinimumLight = 200.0;
constexpr double kFullScaleLight = 4095.0;

}  // namespace

SimMeasurement::SimMeasurement(SimMemory& memory)
    : memory_(memory), motion_{SimMotion(11), SimMotion(23)} {}

int64_t SimMeasurement::SamplePeriodUs() const {
    uint16_t code = memory_.Word(CommonBlock(kWorkingCopy) + common::kSamplingCycle);
    return kSamplePeriodUs[std::min<size_t>(code, kSamplePeriodUs.size() - 1)];
}

double SimMeasurement::LightLevel(double floodPercent, double reflectance) {
    return std::clamp(floodPercent * 60.0 * reflectance, 0.0, kFullScaleLight);
}

void SimMeasurement::SetTiming(int o, bool on) {
    if (on && !timing_[o]) {
        holdTaken_[o] = false;
    }
    timing_[o] = on;
}

void SimMeasurement::Step(int64_t timeUs) {
    double timeS = static_cast<double>(timeUs) * kMicro;
    StepHead(0, timeS);
    StepHead(1, timeS);
    ++samples_;
    StepOutput(0);
    StepOutput(1);
}

void SimMeasurement::StepHead(int h, double timeS) {
    uint32_t block = HeadBlock(kWorkingCopy, h);
    HeadSample& s = heads_[h];
    s.rawMm = motion_[h].Sample(timeS);
    const TargetMotion& m = motion_[h].Get();
    double flood = std::clamp<double>(memory_.Word(block + head::kFloodLight), 1.0, 100.0);
    s.lightLevel = LightLevel(flood, m.reflectance);
    s.alarmCode = 0;
    if (memory_.Word(block + head::kLaserOff) != 0) {
        s.alarmCode = 1;
        s.lightLevel = 0;
    } else if (std::fabs(s.rawMm) > kHeadRangeMm) {
        s.alarmCode = 2;
    } else if (s.lightLevel < kMinimumLight) {
        s.alarmCode = 3;
    }
    s.measuredMm = s.rawMm;
    if (memory_.Word(block + head::kCalibrating) == 0) {
        double m1 = memory_.Long(block + head::kCalibMeasure1) * kMicro;
        double m2 = memory_.Long(block + head::kCalibMeasure2) * kMicro;
        double c1 = memory_.Long(block + head::kCalibCorrect1) * kMicro;
        double c2 = memory_.Long(block + head::kCalibCorrect2) * kMicro;
        if (m1 != m2 && c1 != c2) {
            s.measuredMm = c1 + (s.rawMm - m1) * (c2 - c1) / (m2 - m1);
        }
    }
}

int64_t SimMeasurement::Averaged(int o, int64_t micros) {
    uint32_t block = OutputBlock(kWorkingCopy, o);
    size_t size = 1;
    if (memory_.Word(block + out::kFilterSelect) == 0) {
        size = size_t(1) << std::min<uint16_t>(memory_.Word(block + out::kAverageTimes), 12);
    }
    Average& a = average_[o];
    if (a.window.size() != size) {
        a = Average{};
        a.window.assign(size, 0);
    }
    if (a.filled == size) {
        a.sum -= a.window[a.next];
    } else {
        ++a.filled;
    }
    a.window[a.next] = micros;
    a.sum += micros;
    a.next = (a.next + 1) % size;
    int64_t n = static_cast<int64_t>(a.filled);
    return a.sum >= 0 ? (a.sum + n / 2) / n : -((-a.sum + n / 2) / n);
}

void SimMeasurement::StepOutput(int o) {
    uint32_t block = OutputBlock(kWorkingCopy, o);
    const HeadSample& a = heads_[0];
    const HeadSample& b = heads_[1];
    bool useA = true;
    bool useB = false;
    double value = a.measuredMm;
    switch (memory_.Word(block + out::kOutPattern)) {
        case 1:
        case 3:
        case 9:
        case 11:
            useA = false;
            useB = true;
            value = b.measuredMm;
            break;
        case 4:
            useB = true;
            value = a.measuredMm + b.measuredMm;
            break;
        case 5:
            useB = true;
            value = a.measuredMm - b.measuredMm;
            break;
        case 6:
            useB = true;
            value = b.measuredMm - a.measuredMm;
            break;
        case 7:
            useB = true;
            value = memory_.Long(block + out::kCalcRef) * kMicro - (a.measuredMm + b.measuredMm);
            break;
        default:
            break;
    }
    OutputSample& s = outputs_[o];
    s.strobe = (samples_ & 1) != 0;
    s.alarmCode = 0;
    if (useA && a.alarmCode != 0) {
        s.alarmCode = a.alarmCode;
    } else if (useB && b.alarmCode != 0) {
        s.alarmCode = b.alarmCode;
    }
    s.alarm = s.alarmCode != 0;
    s.hi = s.go = s.low = false;
    if (reset_[o]) {
        s.valueMicros = 0;
        judgement_[o] = 0;
        return;
    }
    if (s.alarm) {
        s.valueMicros = kAlarmValueMicros;
        average_[o].filled = 0;
        average_[o].sum = 0;
        return;
    }
    value = static_cast<double>(Averaged(o, ToMicros(std::clamp(value, -999.0, 999.0)))) * kMicro;
    reference_[o] = value;
    if (memory_.Word(block + out::kZeroSet) != 0) {
        value -= memory_.Long(block + out::kZeroSetVal) * kMicro;
    }
    value += memory_.Long(block + out::kOffset) * kMicro;
    value = std::clamp(value, -999.0, 999.0);
    int64_t micros = ToMicros(value);
    if (timing_[o]) {
        if (!holdTaken_[o]) {
            heldMicros_[o] = micros;
            holdTaken_[o] = true;
        }
        micros = heldMicros_[o];
    }
    s.valueMicros = micros;

    int64_t max = memory_.Long(block + out::kDecisionMax);
    int64_t min = memory_.Long(block + out::kDecisionMin);
    int64_t hisMax = std::max<int64_t>(0, memory_.Long(block + out::kHysteresisMax));
    int64_t hisMin = std::max<int64_t>(0, memory_.Long(block + out::kHysteresisMin));
    int& j = judgement_[o];
    if (micros > max) {
        j = 1;
    } else if (micros < min) {
        j = -1;
    } else if (j == 1 && micros < max - hisMax) {
        j = 0;
    } else if (j == -1 && micros > min + hisMin) {
        j = 0;
    }
    s.hi = j == 1;
    s.go = j == 0;
    s.low = j == -1;
}

}  // namespace zul::sim
