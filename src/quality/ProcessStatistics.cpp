// SPDX-License-Identifier: GPL-3.0-or-later
#include "quality/ProcessStatistics.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

#include "quality/CompensatedSum.h"
#include "quality/ControlConstants.h"

namespace zul {

namespace {

struct MeanAndSquares {
    double mean = 0.0;
    double squares = 0.0;  // sum of squared deviations from the mean
};

// Two passes with compensated sums: the mean, then the squared deviations from it, corrected
// by the (ideally zero) sum of the deviations. Values with a large common part and small
// differences keep their spread; one pass over the squares of the values would lose it.
MeanAndSquares MeanAndSquaredDeviations(std::span<const double> values) {
    MeanAndSquares result;
    if (values.empty()) {
        return result;
    }
    CompensatedSum sum;
    for (double value : values) {
        sum.Add(value);
    }
    const double n = static_cast<double>(values.size());
    result.mean = sum.Value() / n;
    CompensatedSum deviations;
    CompensatedSum squares;
    for (double value : values) {
        const double deviation = value - result.mean;
        deviations.Add(deviation);
        squares.Add(deviation * deviation);
    }
    const double drift = deviations.Value();
    result.squares = std::max(0.0, squares.Value() - drift * drift / n);
    return result;
}

// Linear interpolation between the order statistics around p (n - 1).
struct QuantilePosition {
    size_t low = 0;
    size_t high = 0;
    double fraction = 0.0;
};

QuantilePosition PositionOf(double p, size_t n) {
    const double h = p * static_cast<double>(n - 1);
    QuantilePosition position;
    position.low = std::min(static_cast<size_t>(std::floor(h)), n - 1);
    position.high = std::min(position.low + 1, n - 1);
    position.fraction = h - static_cast<double>(position.low);
    return position;
}

constexpr std::array<double, 5> kQuantiles = {0.00135, 0.25, 0.5, 0.75, 0.99865};

// The shortest text that reads back as the same double.
std::string Text(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

}  // namespace

int32_t CheckQualityOptions(const QualityOptions& options, ResultInfo* info) {
    ClearResult(info);
    if (options.subgroupSize < 1) {
        return SetResult(info, ZUL_ERR_RANGE, 0, "subgroup size",
                         std::to_string(options.subgroupSize) + " is below 1");
    }
    if (options.histogramBins < 0 || options.histogramBins > kHistogramMaxBins) {
        return SetResult(info, ZUL_ERR_RANGE, 0, "histogram bins",
                         std::to_string(options.histogramBins) + " is not within 1 to " +
                             std::to_string(kHistogramMaxBins));
    }
    const SpecLimits& limits = options.limits;
    if ((limits.lower && !std::isfinite(*limits.lower)) ||
        (limits.upper && !std::isfinite(*limits.upper))) {
        return SetResult(info, ZUL_ERR_RANGE, 0, "tolerance limits", "a limit is no number");
    }
    if (limits.lower && limits.upper && !(*limits.lower < *limits.upper)) {
        return SetResult(info, ZUL_ERR_RANGE, 0, "tolerance limits",
                         "the lower limit " + Text(*limits.lower) + " is not below the upper " +
                             Text(*limits.upper));
    }
    return ZUL_OK;
}

Figure AverageMovingRange(std::span<const double> values) {
    if (values.size() < 2) {
        return std::nullopt;
    }
    CompensatedSum sum;
    for (size_t i = 1; i < values.size(); ++i) {
        sum.Add(std::fabs(values[i] - values[i - 1]));
    }
    return sum.Value() / static_cast<double>(values.size() - 1);
}

Figure PooledWithinStdDev(std::span<const double> values, int64_t subgroupSize) {
    if (subgroupSize < 2) {
        return std::nullopt;
    }
    const size_t size = static_cast<size_t>(subgroupSize);
    CompensatedSum squares;
    int64_t degrees = 0;
    for (size_t first = 0; first + 1 < values.size(); first += size) {
        const size_t end = std::min(first + size, values.size());
        const double count = static_cast<double>(end - first);
        // Corrected two-pass within the subgroup, taken relative to its first value: for
        // values with a large common part the differences are exact and their sums accurate.
        const double origin = values[first];
        double sum = 0.0;
        for (size_t i = first; i < end; ++i) {
            sum += values[i] - origin;
        }
        const double mean = sum / count;
        double drift = 0.0;
        double groupSquares = 0.0;
        for (size_t i = first; i < end; ++i) {
            const double deviation = (values[i] - origin) - mean;
            drift += deviation;
            groupSquares += deviation * deviation;
        }
        squares.Add(std::max(0.0, groupSquares - drift * drift / count));
        degrees += static_cast<int64_t>(end - first) - 1;
    }
    if (degrees < 1) {
        return std::nullopt;
    }
    const double pooled = std::sqrt(squares.Value() / static_cast<double>(degrees));
    return pooled / UnbiasingConstantC4(degrees + 1);
}

Capability ComputeCapability(const SpecLimits& limits, Figure mean, Figure overallSigma,
                             Figure withinSigma) {
    struct Indices {
        Figure both, lowerUpperMin, upper, lower;
    };
    auto indices = [&](Figure sigma) {
        Indices result;
        if (!mean || !sigma || !(*sigma > 0.0)) {
            return result;
        }
        if (limits.upper) {
            result.upper = (*limits.upper - *mean) / (3.0 * *sigma);
        }
        if (limits.lower) {
            result.lower = (*mean - *limits.lower) / (3.0 * *sigma);
        }
        if (limits.upper && limits.lower) {
            result.both = (*limits.upper - *limits.lower) / (6.0 * *sigma);
            result.lowerUpperMin = std::min(*result.upper, *result.lower);
        } else {
            result.lowerUpperMin = limits.upper ? result.upper : result.lower;
        }
        return result;
    };
    const Indices within = indices(withinSigma);
    const Indices overall = indices(overallSigma);
    Capability capability;
    capability.cp = within.both;
    capability.cpk = within.lowerUpperMin;
    capability.cpu = within.upper;
    capability.cpl = within.lower;
    capability.pp = overall.both;
    capability.ppk = overall.lowerUpperMin;
    capability.ppu = overall.upper;
    capability.ppl = overall.lower;
    return capability;
}

int32_t QualityAnalyzer::Analyze(std::span<const double> values, const QualityOptions& options,
                                 QualityFigures& figures, ResultInfo* info) {
    if (const int32_t code = CheckQualityOptions(options, info); code != ZUL_OK) {
        return code;
    }
    double min = 0.0;
    double max = 0.0;
    for (size_t i = 0; i < values.size(); ++i) {
        const double value = values[i];
        if (!std::isfinite(value)) {
            return SetResult(info, ZUL_ERR_RANGE, 0, std::to_string(i), "the value is no number");
        }
        min = i == 0 ? value : std::min(min, value);
        max = i == 0 ? value : std::max(max, value);
    }

    figures.summary = Summary{};
    figures.stddevWithin.reset();
    figures.limits = options.limits;
    figures.capability = Capability{};
    figures.shares = LimitShares{};
    figures.histogram.edges.clear();
    figures.histogram.counts.clear();
    figures.imr = IndividualsChart{};
    figures.violations.clear();

    const size_t n = values.size();
    Summary& summary = figures.summary;
    summary.count = static_cast<int64_t>(n);
    if (n == 0) {
        return ZUL_OK;
    }

    MeanAndSquares spread = MeanAndSquaredDeviations(values);
    if (min == max) {
        spread = {min, 0.0};
    }
    const double mean = std::clamp(spread.mean, min, max);
    summary.mean = mean;
    summary.min = min;
    summary.max = max;
    summary.range = max - min;
    if (n >= 2) {
        summary.stddev = std::sqrt(spread.squares / static_cast<double>(n - 1));
    }

    // Percentiles, median and quartiles from the order statistics around their positions.
    // (A quantile's upper neighbour can lie above the next quantile's lower one, so the ranks
    // are sorted first.)
    std::array<QuantilePosition, kQuantiles.size()> positions;
    std::array<size_t, 2 * kQuantiles.size()> ranks;
    for (size_t q = 0; q < kQuantiles.size(); ++q) {
        positions[q] = PositionOf(kQuantiles[q], n);
        ranks[2 * q] = positions[q].low;
        ranks[2 * q + 1] = positions[q].high;
    }
    std::array<size_t, 2 * kQuantiles.size()> sorted = ranks;
    std::sort(sorted.begin(), sorted.end());
    std::array<double, 2 * kQuantiles.size()> ordered;
    selector_.Select(values, min, max, sorted, ordered);
    auto rankValue = [&](size_t rank) {
        return ordered[static_cast<size_t>(std::lower_bound(sorted.begin(), sorted.end(), rank) -
                                           sorted.begin())];
    };
    std::array<double, kQuantiles.size()> quantiles;
    for (size_t q = 0; q < kQuantiles.size(); ++q) {
        const double low = rankValue(positions[q].low);
        const double high = rankValue(positions[q].high);
        quantiles[q] = std::clamp(low + positions[q].fraction * (high - low), low, high);
    }
    summary.p00135 = quantiles[0];
    summary.median = quantiles[2];
    summary.p99865 = quantiles[4];

    const Figure mrBar = AverageMovingRange(values);
    figures.stddevWithin = options.subgroupSize == 1
                               ? (mrBar ? Figure(*mrBar / kD2MovingRange) : std::nullopt)
                               : PooledWithinStdDev(values, options.subgroupSize);
    figures.capability =
        ComputeCapability(options.limits, summary.mean, summary.stddev, figures.stddevWithin);

    const SpecLimits& limits = options.limits;
    if (limits.lower || limits.upper) {
        int64_t below = 0;
        int64_t above = 0;
        for (double value : values) {
            below += limits.lower && value < *limits.lower ? 1 : 0;
            above += limits.upper && value > *limits.upper ? 1 : 0;
        }
        auto share = [n](int64_t count) {
            return LimitShare{count, static_cast<double>(count) / static_cast<double>(n)};
        };
        if (limits.lower) {
            figures.shares.below = share(below);
        }
        if (limits.upper) {
            figures.shares.above = share(above);
        }
        figures.shares.inside = share(static_cast<int64_t>(n) - below - above);
    }

    const int32_t bins =
        options.histogramBins > 0
            ? options.histogramBins
            : FreedmanDiaconisBins(static_cast<int64_t>(n), quantiles[3] - quantiles[1], max - min);
    FillHistogram(values, min, max, bins, figures.histogram);

    if (mrBar) {
        IndividualsChart& imr = figures.imr;
        const double sigma = *mrBar / kD2MovingRange;
        imr.center = mean;
        imr.sigma = sigma;
        imr.ucl = mean + 3.0 * sigma;
        imr.lcl = mean - 3.0 * sigma;
        imr.mrBar = *mrBar;
        imr.mrUcl = kD4MovingRange * *mrBar;
        FindNelsonViolations(values, mean, sigma, figures.violations);
    }
    return ZUL_OK;
}

}  // namespace zul
