// SPDX-License-Identifier: GPL-3.0-or-later
// Process statistics of a sequence of measured values: location and spread, percentiles,
// the within-subgroup spread, capability indices against tolerance limits, the shares
// outside the limits, a histogram and the individuals and moving-range chart with the points
// that break the Nelson rules.
//
// Everything works on a std::span of doubles, so a caller hands in any part of a value block
// in place: the values with numbers from..to-1 of a buffer are span(values).subspan(from,
// to - from), and positions in the results (rule violations) count from the start of that
// span. A QualityAnalyzer keeps its working storage between calls, and a QualityFigures record
// keeps the storage of its lists, so that analysing a rolling window again and again allocates
// nothing once the sizes have settled (see RollingWindow.h).
//
// A figure that cannot be computed (too few values, no spread, a limit not given) is left
// without a value; it is never stood in for by 0, an infinity or a NaN.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "base/ResultInfo.h"
#include "quality/Histogram.h"
#include "quality/NelsonRules.h"
#include "quality/OrderStatistics.h"

namespace zul {

using Figure = std::optional<double>;

// Lower and upper tolerance limits; either may be missing.
struct SpecLimits {
    Figure lower;
    Figure upper;
};

struct QualityOptions {
    SpecLimits limits;
    // 1: the within-subgroup spread comes from the moving ranges of neighbouring values; n > 1:
    // consecutive subgroups of n values in order (a last, shorter subgroup counts with the
    // values it has), pooled.
    int64_t subgroupSize = 1;
    // 0: as many bins as the Freedman-Diaconis rule gives (5 to 200); else 1 to 200 bins.
    int32_t histogramBins = 0;
};

// Location and spread of the values. The percentiles and the median interpolate linearly
// between the order statistics around position p (n - 1) (counted from 0 in ascending order),
// the definition of R's and NumPy's default and of spreadsheet PERCENTILE.INC.
struct Summary {
    int64_t count = 0;
    Figure mean;    // 1 value or more
    Figure stddev;  // sample standard deviation (divisor n - 1); 2 values or more
    Figure min;
    Figure max;
    Figure range;
    Figure median;
    Figure p00135;  // 0.135 % percentile
    Figure p99865;  // 99.865 % percentile
};

// Capability against the limits: C indices with the within-subgroup sigma, P indices with the
// overall one. With both limits Cp = (USL - LSL) / 6 sigma, CPU = (USL - mean) / 3 sigma,
// CPL = (mean - LSL) / 3 sigma and Cpk = min(CPU, CPL); with one limit only Cp and Pp stay
// undefined and Cpk, Ppk are the one-sided index of that limit.
struct Capability {
    Figure cp, cpk, cpu, cpl;
    Figure pp, ppk, ppu, ppl;
};

// Values below the lower limit, on or between the limits, above the upper limit. A side whose
// limit is missing is undefined (inside is defined when at least one limit is given).
struct LimitShare {
    int64_t count = 0;
    double share = 0.0;  // count / number of values
};
struct LimitShares {
    std::optional<LimitShare> below;
    std::optional<LimitShare> inside;
    std::optional<LimitShare> above;
};

// Individuals chart: centre line at the mean, limits at mean +- 3 MR-bar / d2; moving-range
// chart: centre MR-bar, upper limit D4 MR-bar (its lower limit is 0). Needs 2 values.
struct IndividualsChart {
    Figure center;
    Figure ucl;
    Figure lcl;
    Figure sigma;  // MR-bar / d2
    Figure mrBar;
    Figure mrUcl;
};

struct QualityFigures {
    Summary summary;
    Figure stddevWithin;
    SpecLimits limits;  // as analysed
    Capability capability;
    LimitShares shares;
    Histogram histogram;
    IndividualsChart imr;
    std::vector<RuleViolation> violations;  // against the individuals chart's centre and sigma
};

// ZUL_ERR_RANGE (detail1 the option, detail2 the reason) for a subgroup size below 1, a bin
// count outside 0..200, a limit that is not finite, or a lower limit not below the upper one.
int32_t CheckQualityOptions(const QualityOptions& options, ResultInfo* info = nullptr);

// Sample standard deviation of consecutive subgroups of subgroupSize values, pooled and
// divided by c4(f + 1), f the pooled degrees of freedom; undefined without a subgroup of two.
Figure PooledWithinStdDev(std::span<const double> values, int64_t subgroupSize);

// Average of the absolute differences of neighbouring values; undefined below 2 values.
Figure AverageMovingRange(std::span<const double> values);

// The indices for a mean, an overall and a within-subgroup sigma.
Capability ComputeCapability(const SpecLimits& limits, Figure mean, Figure overallSigma,
                             Figure withinSigma);

class QualityAnalyzer {
public:
    // Computes every figure of the values. Fails (figures untouched) for options that
    // CheckQualityOptions refuses and with ZUL_ERR_RANGE for a value that is not finite
    // (detail1 its position from 0). No values is no failure: the count is 0 and the rest
    // undefined.
    int32_t Analyze(std::span<const double> values, const QualityOptions& options,
                    QualityFigures& figures, ResultInfo* info = nullptr);

private:
    OrderStatisticSelector selector_;
};

}  // namespace zul
