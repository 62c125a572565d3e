// SPDX-License-Identifier: GPL-3.0-or-later
// Histograms of values: equal-width bins from the smallest to the largest value.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zul {

inline constexpr int32_t kHistogramMinBins = 5;
inline constexpr int32_t kHistogramMaxBins = 200;

// Bin k counts the values in [edges[k], edges[k + 1]); the last bin also holds its upper edge.
// Empty when there are no values.
struct Histogram {
    std::vector<double> edges;  // counts.size() + 1 edges, ascending
    std::vector<int64_t> counts;
};

// The Freedman-Diaconis bin count for count values spread over range with the interquartile
// range iqr: range / (2 iqr count^(-1/3)) rounded up, bounded to 5..200 (no spread between the
// quartiles gives 200).
int32_t FreedmanDiaconisBins(int64_t count, double iqr, double range);

// Fills out with bins equal bins from min to max (both given by the caller for values). When
// min equals max the bins cover [min - 0.5, max + 0.5]. bins below 1 leaves out empty. Reuses
// the vectors' storage.
void FillHistogram(std::span<const double> values, double min, double max, int32_t bins,
                   Histogram& out);

}  // namespace zul
