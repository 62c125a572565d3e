// SPDX-License-Identifier: GPL-3.0-or-later
#include "quality/Histogram.h"

#include <algorithm>
#include <cmath>

namespace zul {

int32_t FreedmanDiaconisBins(int64_t count, double iqr, double range) {
    if (count < 1 || !(range > 0.0)) {
        return kHistogramMinBins;
    }
    const double width = 2.0 * iqr / std::cbrt(static_cast<double>(count));
    if (!(width > 0.0)) {
        return kHistogramMaxBins;
    }
    const double bins = std::ceil(range / width);
    if (!(bins < static_cast<double>(kHistogramMaxBins))) {
        return kHistogramMaxBins;
    }
    return std::max(kHistogramMinBins, static_cast<int32_t>(bins));
}

void FillHistogram(std::span<const double> values, double min, double max, int32_t bins,
                   Histogram& out) {
    out.edges.clear();
    out.counts.clear();
    if (bins < 1 || values.empty()) {
        return;
    }
    double low = min;
    double high = max;
    if (!(high > low)) {
        low -= 0.5;
        high += 0.5;
    }
    const double width = (high - low) / bins;
    out.edges.resize(static_cast<size_t>(bins) + 1);
    for (int32_t k = 0; k < bins; ++k) {
        out.edges[static_cast<size_t>(k)] = low + width * k;
    }
    out.edges.back() = high;
    out.counts.assign(static_cast<size_t>(bins), 0);

    const double scale = bins / (high - low);
    for (double value : values) {
        // The quotient can round across an edge; the edges themselves decide.
        int32_t k = static_cast<int32_t>(std::clamp((value - low) * scale, 0.0, bins - 1.0));
        while (k > 0 && value < out.edges[static_cast<size_t>(k)]) {
            --k;
        }
        while (k + 1 < bins && value >= out.edges[static_cast<size_t>(k) + 1]) {
            ++k;
        }
        ++out.counts[static_cast<size_t>(k)];
    }
}

}  // namespace zul
