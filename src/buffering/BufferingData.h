// SPDX-License-Identifier: GPL-3.0-or-later
// The block that holds one buffering result: header, the values of OUT1 and OUT2, what the
// statistics derived from them, and the file options. Preallocated for the largest run, so that
// a transfer allocates nothing; one mutex guards the whole block.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "buffering/BufferingValueSet.h"
#include "settings/ProfileFile.h"

namespace zul {

// How the buffering window shows one output; the first six fields are the measure lines.
struct OutputDisplay {
    int32_t verticalOn = 0;
    double verticalTop = 0.0;
    double verticalBottom = 0.0;
    int32_t horizontalOn = 0;
    int32_t horizontalLeft = 0;  // value numbers, from 1
    int32_t horizontalRight = 0;
    int32_t reserved1 = 0;
    int32_t reserved2 = 0;
    double axisBottom = -950.0;
    double axisTop = 950.0;
    int32_t axisFirst = 1;
    int32_t axisLast = kMaxBufferedValues;
};

// What the statistics last computed for one output.
struct OutputStatistics {
    double allDataTop = 0.0;
    double allDataBottom = 0.0;
    double allDataAve = 0.0;
    double allDataMid = 0.0;
    double verticalTop = 0.0;
    double verticalBottom = 0.0;
    double verticalRange = 0.0;
    int32_t horizontalLeft = 0;
    int32_t horizontalRight = 0;
    int32_t horizontalRange = 0;
    double betweenDataTop = 0.0;
    double betweenDataBottom = 0.0;
    double betweenDataAve = 0.0;
    double betweenDataMid = 0.0;
    int32_t betweenActive = 0;
    std::array<int32_t, 4> judgement{};  // indexed by JudgementIndex
    int32_t triggerCount = 0;
    int32_t modeGrouping = 0;
};

// Bookkeeping of the sorted copies; cleared whenever the values change.
struct OutputCache {
    int32_t sortedAllCount = 0;
    int32_t sortedBetweenCount = 0;
    int32_t unused = 0;
    int32_t sortedAllValid = 0;
    int32_t statisticsValid = 0;

    void Clear() { *this = OutputCache{}; }
};

struct OutputBuffer {
    OutputDisplay display;
    OutputStatistics statistics;
    // Value number n (from 1) is values[n - 1]. All three arrays hold kMaxBufferedValues.
    std::vector<double> values;
    std::vector<double> sortedAll;
    std::vector<double> sortedBetween;
    OutputCache cache;

    OutputBuffer();
};

struct BufferingTrailer {
    std::array<int32_t, 5> reserved{};
    std::string comment;
    int32_t csvSeparator = 0;   // 0 comma, 1 semicolon, 2 tab
    int32_t csvUnderdigit = 0;  // 1: decimal comma
    double valueFactor = 1.0;   // applied to floating-point values when writing
};

// Header slots 0..8 are the settings of the run, 12/13 the number of values held per output,
// 23/24 the trigger counts.
struct BufferingData {
    mutable std::mutex mutex;
    ProfileFile profile;  // reads and writes the buffering data file
    BufferingValueSet header;
    std::array<OutputBuffer, kBufferingOutputs> outputs;
    BufferingTrailer trailer;

    // Number of values held by the output, bounded to 0..kMaxBufferedValues. Caller holds mutex.
    int32_t HeldCount(int output) const;

    // Drops the values of both outputs (counts, trigger counts and BufferMode to 0) and clears
    // the caches. Takes the mutex.
    void ClearValues();
};

}  // namespace zul
