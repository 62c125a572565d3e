// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimBuffering.h"

#include <algorithm>

#include "SimErrors.h"
#include "SimFields.h"

namespace zul::sim {

namespace {

bool TriggerMode(int mode) {
    return mode == 1 || mode == 4;
}
bool SampleTriggerMode(int mode) {
    return mode == 3 || mode == 5;
}

}  // namespace

int SimBuffering::Start() {
    if (running_) {
        return kErrBusy;
    }
    uint32_t c = CommonBlock(kWorkingCopy);
    int mode = memory_.Word(c + common::kBufferMode);
    int type = memory_.Word(c + common::kBufferType);
    int32_t storeNum = memory_.Long(c + common::kStoreNum);
    int32_t sampleNum = memory_.Long(c + common::kSampleTriggerStoreNum);
    int32_t point = memory_.Long(c + common::kTriggerPoint);
    int32_t limit = type == 0 ? kMaxStoreNumBoth : kMaxStoreNum;
    if (mode > 5 || type > 2 || storeNum < 1 || storeNum > limit) {
        return kErrParameter;
    }
    if (TriggerMode(mode) && (point < 1 || point > storeNum)) {
        return kErrParameter;
    }
    if (SampleTriggerMode(mode) &&
        (sampleNum < 1 || sampleNum > storeNum || storeNum % sampleNum != 0)) {
        return kErrParameter;
    }
    mode_ = mode;
    storeNum_ = storeNum;
    sampleTriggerNum_ = sampleNum;
    triggerPoint_ = point;
    rate_ = std::max<int32_t>(1, memory_.Word(c + common::kBufferRate));
    delay_ = std::max<int32_t>(0, memory_.Long(c + common::kTriggerDelay));
    rateCount_ = 0;
    for (int o = 0; o < 2; ++o) {
        Output fresh;
        fresh.involved = type == 0 || type == o + 1;
        if (fresh.involved) {
            fresh.state = (TriggerMode(mode) || SampleTriggerMode(mode)) ? 1 : 2;
        }
        condition_[o] = memory_.Word(OutputBlock(kWorkingCopy, o) + out::kEventCondition);
        outputs_[o] = std::move(fresh);
    }
    running_ = true;
    Publish();
    return kErrNone;
}

void SimBuffering::Stop() {
    if (!running_) {
        return;
    }
    running_ = false;
    for (Output& out : outputs_) {
        if (out.state == 1 || out.state == 2) {
            bool usable = !out.values.empty() && (!TriggerMode(mode_) || out.triggerAt >= 0);
            out.state = usable ? 3 : 0;
            if (!usable) {
                out.values.clear();
            }
        }
    }
    Publish();
}

bool SimBuffering::Event(Output& out, const OutputSample& s, bool timing, int condition) {
    bool event = false;
    switch (condition) {
        case 0:
            event = s.hi && !out.lastHi;
            break;
        case 1:
            event = s.low && !out.lastLow;
            break;
        case 2:
            event = !s.go && out.lastGo;
            break;
        case 3:
            event = s.go && !out.lastGo;
            break;
        case 4:
            event = s.alarm && !out.lastAlarm;
            break;
        case 5:
            event = timing && !out.lastTiming;
            break;
        default:
            break;
    }
    out.lastHi = s.hi;
    out.lastLow = s.low;
    out.lastGo = s.go;
    out.lastAlarm = s.alarm;
    out.lastTiming = timing;
    return event;
}

void SimBuffering::Store(Output& out, int64_t value) {
    out.values.push_back(value);
    ++out.stored;
    if (out.values.size() > static_cast<size_t>(storeNum_)) {
        out.values.pop_front();
    }
}

void SimBuffering::OnSample(const SimMeasurement& measurement) {
    if (!running_) {
        return;
    }
    if (++rateCount_ < rate_) {
        return;
    }
    rateCount_ = 0;
    bool changed = false;
    for (int o = 0; o < 2; ++o) {
        Output& out = outputs_[o];
        if (!out.involved || out.state == 3 || out.state == 0) {
            continue;
        }
        const OutputSample& s = measurement.Output(o);
        ++out.ticks;
        bool event = Event(out, s, measurement.Timing(o), condition_[o]);
        int before = out.state;
        if (mode_ == 0) {
            Store(out, s.valueMicros);
            if (out.stored >= storeNum_) {
                out.state = 3;
            }
        } else if (mode_ == 2) {
            Store(out, s.valueMicros);
        } else if (TriggerMode(mode_)) {
            if (out.triggerAt < 0 && out.eventAt < 0 && event) {
                out.eventAt = out.ticks;
                ++out.triggerCount;
                changed = true;
            }
            if (out.eventAt >= 0 && out.triggerAt < 0 && out.ticks >= out.eventAt + delay_) {
                out.triggerAt = out.stored;
                out.state = 2;
                // The values older than TriggerPoint - 1 before the trigger are not kept.
                while (static_cast<int64_t>(out.values.size()) > triggerPoint_ - 1) {
                    out.values.pop_front();
                }
            }
            Store(out, s.valueMicros);
            if (out.triggerAt >= 0 &&
                out.stored >= out.triggerAt + (storeNum_ - triggerPoint_) + 1) {
                out.state = 3;
            }
        } else {  // sampling trigger
            if (out.burstLeft == 0 && out.eventAt < 0 && event) {
                out.eventAt = out.ticks;
                ++out.triggerCount;
                changed = true;
            }
            if (out.burstLeft == 0 && out.eventAt >= 0 && out.ticks >= out.eventAt + delay_) {
                out.burstLeft = sampleTriggerNum_;
                out.eventAt = -1;
                out.state = 2;
            }
            if (out.burstLeft > 0) {
                Store(out, s.valueMicros);
                if (--out.burstLeft == 0) {
                    out.state = out.stored >= storeNum_ ? 3 : 1;
                }
            }
        }
        changed = changed || out.state != before;
    }
    if (changed) {
        Publish();
    }
}

int32_t SimBuffering::FinalDataPoint(int o) const {
    const Output& out = outputs_[o];
    return out.state == 0 ? 0 : static_cast<int32_t>(out.values.size());
}

std::vector<int64_t> SimBuffering::Values(int o) const {
    return {outputs_[o].values.begin(), outputs_[o].values.end()};
}

int SimBuffering::EncodeBlock(int o, int32_t first, int32_t last, std::string* data) const {
    const Output& out = outputs_[o];
    if (out.state != 3) {
        return kErrBusy;
    }
    if (first < 1 || last < first || last > FinalDataPoint(o) ||
        last - first + 1 > kMaxValuesPerBlock) {
        return kErrParameter;
    }
    int64_t previous = out.values[static_cast<size_t>(first - 1)];
    data->append(FormatMicros11(previous));
    for (int32_t n = first + 1; n <= last; ++n) {
        int64_t value = out.values[static_cast<size_t>(n - 1)];
        int64_t delta = value - previous;
        data->push_back(delta < 0 ? '-' : '+');
        data->append(std::to_string(delta < 0 ? -delta : delta));
        previous = value;
    }
    return kErrNone;
}

void SimBuffering::Publish() {
    for (int o = 0; o < 2; ++o) {
        uint32_t block = OutputBlock(kWorkingCopy, o);
        memory_.SetWord(block + out::kStateRead, static_cast<uint16_t>(outputs_[o].state));
        memory_.SetLong(block + out::kFinalDataPoint, FinalDataPoint(o));
    }
}

}  // namespace zul::sim
