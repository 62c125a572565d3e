// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffering/BufferingStatistics.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace zul {

namespace {

struct Summary {
    double top = 0.0;
    double bottom = 0.0;
    double average = 0.0;
    double mid = 0.0;
};

// Copies the valid values among values[begin, end) into sorted; returns how many.
int32_t CollectValid(const std::vector<double>& values, int32_t begin, int32_t end,
                     std::vector<double>& sorted) {
    int32_t count = 0;
    for (int32_t i = begin; i < end; ++i) {
        double v = values[static_cast<size_t>(i)];
        if (IsValidBufferedValue(v)) {
            sorted[static_cast<size_t>(count++)] = v;
        }
    }
    std::sort(sorted.begin(), sorted.begin() + count);
    return count;
}

// Top, bottom, average and middle element of the first count entries of sorted (ascending).
Summary Summarise(const std::vector<double>& sorted, int32_t count) {
    Summary s;
    if (count <= 0) {
        return s;
    }
    double sum = 0.0;
    for (int32_t i = 0; i < count; ++i) {
        sum += sorted[static_cast<size_t>(i)];
    }
    s.bottom = sorted[0];
    s.top = sorted[static_cast<size_t>(count - 1)];
    s.average = sum / count;
    s.mid = sorted[static_cast<size_t>(count / 2)];
    return s;
}

int32_t SaturatedDifference(int32_t high, int32_t low) {
    int64_t d = static_cast<int64_t>(high) - low;
    return static_cast<int32_t>(std::clamp<int64_t>(d, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

void ComputeOutputStatistics(BufferingData& data, int output, const BufferingValueSet& status) {
    if (output < 0 || output >= kBufferingOutputs) {
        return;
    }
    std::lock_guard lock(data.mutex);
    OutputBuffer& buffer = data.outputs[static_cast<size_t>(output)];
    const OutputDisplay& display = buffer.display;
    OutputStatistics& stats = buffer.statistics;
    const int32_t n = data.HeldCount(output);

    // Value numbers run from 1; a left line below 1 starts the range at the first value.
    const bool betweenActive = display.horizontalOn != 0 &&
                               display.horizontalLeft <= display.horizontalRight &&
                               display.horizontalLeft <= n;

    if (buffer.cache.sortedAllValid == 0) {
        buffer.cache.sortedAllCount = CollectValid(buffer.values, 0, n, buffer.sortedAll);
        buffer.cache.sortedAllValid = 1;
    }
    Summary all = Summarise(buffer.sortedAll, buffer.cache.sortedAllCount);
    stats.allDataTop = all.top;
    stats.allDataBottom = all.bottom;
    stats.allDataAve = all.average;
    stats.allDataMid = all.mid;

    int32_t betweenCount = 0;
    if (betweenActive) {
        int32_t first = std::max(display.horizontalLeft, 1);
        int32_t last = std::min(display.horizontalRight, n);
        if (first <= last) {
            betweenCount = CollectValid(buffer.values, first - 1, last, buffer.sortedBetween);
        }
    }
    buffer.cache.sortedBetweenCount = betweenCount;
    Summary between = Summarise(buffer.sortedBetween, betweenCount);
    stats.betweenDataTop = between.top;
    stats.betweenDataBottom = between.bottom;
    stats.betweenDataAve = between.average;
    stats.betweenDataMid = between.mid;

    stats.verticalTop = display.verticalTop;
    stats.verticalBottom = display.verticalBottom;
    stats.verticalRange = display.verticalTop - display.verticalBottom;
    stats.horizontalLeft = display.horizontalLeft;
    stats.horizontalRight = display.horizontalRight;
    stats.horizontalRange = SaturatedDifference(display.horizontalRight, display.horizontalLeft);

    stats.betweenActive = betweenActive ? 1 : 0;
    for (int which = kUpperLimit1; which <= kLowerLimit2; ++which) {
        stats.judgement[static_cast<size_t>(which)] =
            status[BufferingValueSet::Judgement(output, static_cast<JudgementIndex>(which))];
    }
    stats.triggerCount = data.header[BufferingValueSet::TriggerCount(output)];
    int32_t mode = data.header[kSlotBufferMode];
    stats.modeGrouping = (mode == 1 || mode == 3) ? 1 : 0;
    buffer.cache.statisticsValid = 1;
}

void ComputeBufferingStatistics(BufferingData& data, const BufferingValueSet& status) {
    for (int output = 0; output < kBufferingOutputs; ++output) {
        ComputeOutputStatistics(data, output, status);
    }
}

}  // namespace zul
