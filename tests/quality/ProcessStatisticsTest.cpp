// SPDX-License-Identifier: GPL-3.0-or-later
// Process statistics against independently known results: the certified values of the NIST
// StRD univariate data sets, closed forms of c4, and small cases worked by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include "quality/ControlConstants.h"
#include "quality/OrderStatistics.h"
#include "quality/ProcessStatistics.h"
#include "quality/RollingWindow.h"

namespace zul::test {
namespace {

// NIST's log relative error: the number of significant digits in which computed agrees with
// the certified value.
double AgreeingDigits(double computed, double certified) {
    if (computed == certified) {
        return 99.0;
    }
    return -std::log10(std::fabs(computed - certified) / std::fabs(certified));
}

std::vector<double> ReadDataSet(const std::string& name) {
    std::ifstream in(std::string(QUALITY_TEST_DATA) + "/" + name);
    EXPECT_TRUE(in.good()) << name;
    std::vector<double> values;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] != '#') {
            values.push_back(std::stod(line));
        }
    }
    return values;
}

// NumAcc2 to NumAcc4: the first value, then 500 pairs of its neighbours below and above.
std::vector<double> NumAcc(double centre, double below, double above) {
    std::vector<double> values = {centre};
    for (int i = 0; i < 500; ++i) {
        values.push_back(below);
        values.push_back(above);
    }
    return values;
}

QualityFigures Analyze(const std::vector<double>& values, QualityOptions options = {}) {
    QualityAnalyzer analyzer;
    QualityFigures figures;
    ResultInfo info;
    EXPECT_EQ(analyzer.Analyze(values, options, figures, &info), ZUL_OK) << info.detail2;
    return figures;
}

struct StrdCase {
    const char* name;
    std::vector<double> values;
    double certifiedMean;
    double certifiedStdDev;
    // The sample standard deviation of the values as binary doubles hold them, worked out in
    // exact rational arithmetic: decimal inputs such as 10000000.1 are not exact in binary,
    // which bounds how many certified digits any double computation can reach.
    double exactStdDevOfDoubles;
    double digitsMean;
    double digitsStdDev;
};

TEST(ProcessStatistics, NistStrdUnivariateCertifiedValues) {
    const std::vector<StrdCase> cases = {
        {"NumAcc1", {10000001, 10000003, 10000002}, 10000002, 1, 1.0, 15, 15},
        {"NumAcc2", NumAcc(1.2, 1.1, 1.3), 1.2, 0.1, 0.09999999999999998, 15, 15},
        {"NumAcc3", NumAcc(1000000.2, 1000000.1, 1000000.3), 1000000.2, 0.1, 0.1000000000349246, 15,
         9},
        {"NumAcc4", NumAcc(10000000.2, 10000000.1, 10000000.3), 10000000.2, 0.1,
         0.10000000055879354, 15, 8},
        {"Lew", ReadDataSet("Lew.dat"), -177.435000000000, 277.332168044316, 277.3321680443161, 15,
         15},
        {"Michelso", ReadDataSet("Michelso.dat"), 299.852400000000, 0.0790105478190518,
         0.07901054781905066, 15, 13},
    };
    for (const StrdCase& c : cases) {
        const QualityFigures figures = Analyze(c.values);
        ASSERT_TRUE(figures.summary.mean && figures.summary.stddev) << c.name;
        EXPECT_GE(AgreeingDigits(*figures.summary.mean, c.certifiedMean), c.digitsMean) << c.name;
        EXPECT_GE(AgreeingDigits(*figures.summary.stddev, c.certifiedStdDev), c.digitsStdDev)
            << c.name;
        EXPECT_GE(AgreeingDigits(*figures.summary.stddev, c.exactStdDevOfDoubles), 14) << c.name;
    }
    EXPECT_EQ(cases[3].values.size(), 1001u);
    EXPECT_EQ(cases[4].values.size(), 200u);
    EXPECT_EQ(cases[5].values.size(), 100u);
}

TEST(ProcessStatistics, ValuesNearTheMeasuringLimitKeepTheirSpread) {
    // Ten values 999.999000 .. 999.999009 (and their negatives): the spread of 0..9 micro units,
    // sqrt(82.5 / 9) * 1e-6. A single pass over the squares loses every digit of it.
    for (double sign : {1.0, -1.0}) {
        std::vector<double> values;
        for (int k = 0; k < 10; ++k) {
            values.push_back(sign * (999.999 + k * 1e-6));
        }
        const QualityFigures figures = Analyze(values);
        ASSERT_TRUE(figures.summary.stddev);
        EXPECT_NEAR(*figures.summary.stddev, std::sqrt(82.5 / 9.0) * 1e-6, 1e-12);
        EXPECT_NEAR(*figures.summary.mean, sign * 999.9990045, 1e-9);
        EXPECT_NEAR(*figures.summary.range, 9e-6, 1e-12);
    }
    // 65000 values alternating one micro unit around 999.999002: sd = 1e-6 sqrt(n / (n - 1)).
    std::vector<double> values;
    for (int i = 0; i < 65000; ++i) {
        values.push_back(i % 2 == 0 ? 999.999001 : 999.999003);
    }
    const QualityFigures figures = Analyze(values);
    EXPECT_NEAR(*figures.summary.stddev, 1e-6 * std::sqrt(65000.0 / 64999.0), 1e-12);
    EXPECT_NEAR(*figures.stddevWithin, 2e-6 / 1.128, 1e-12);
    // The same in subgroups of 1000: 65 groups of 999 degrees of freedom each.
    QualityOptions groups;
    groups.subgroupSize = 1000;
    EXPECT_NEAR(*Analyze(values, groups).stddevWithin,
                1e-6 * std::sqrt(1000.0 / 999.0) / UnbiasingConstantC4(65 * 999 + 1), 1e-12);
}

TEST(ProcessStatistics, OrderStatisticsMatchAFullSort) {
    // Noise, noise with one far outlier (nearly every value in one bucket), and many repeats.
    uint32_t state = 7;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return static_cast<double>((state >> 16) % 1000);
    };
    std::vector<std::vector<double>> sets(3);
    for (int i = 0; i < 5001; ++i) {
        sets[0].push_back(next() * 0.001);
        sets[1].push_back(next() * 1e-6);
        sets[2].push_back(std::floor(next() / 250.0));
    }
    sets[1][2500] = 1e6;
    OrderStatisticSelector selector;
    for (const std::vector<double>& values : sets) {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        const std::vector<size_t> ranks = {0, 0, 1, 6, 7, 1250, 1251, 2500, 2500, 4999, 5000};
        std::vector<double> results(ranks.size());
        selector.Select(values, sorted.front(), sorted.back(), ranks, results);
        for (size_t i = 0; i < ranks.size(); ++i) {
            EXPECT_EQ(results[i], sorted[ranks[i]]) << ranks[i];
        }
    }
}

TEST(ProcessStatistics, UndefinedFiguresStayUndefined) {
    QualityOptions limits;
    limits.limits = {0.0, 10.0};
    // No values: nothing but the count.
    QualityFigures none = Analyze({}, limits);
    EXPECT_EQ(none.summary.count, 0);
    EXPECT_FALSE(none.summary.mean || none.summary.stddev || none.summary.median);
    EXPECT_FALSE(none.capability.cp || none.shares.inside || none.imr.center);
    EXPECT_TRUE(none.histogram.counts.empty());

    // One value: a mean, a median, no spread, no indices, no chart.
    QualityFigures one = Analyze({4.0}, limits);
    EXPECT_EQ(*one.summary.mean, 4.0);
    EXPECT_EQ(*one.summary.median, 4.0);
    EXPECT_EQ(*one.summary.p00135, 4.0);
    EXPECT_FALSE(one.summary.stddev);
    EXPECT_FALSE(one.stddevWithin);
    EXPECT_FALSE(one.capability.cp || one.capability.cpk || one.capability.pp ||
                 one.capability.ppk);
    EXPECT_FALSE(one.imr.center || one.imr.ucl || one.imr.mrBar);
    EXPECT_EQ(one.shares.inside->count, 1);

    // No spread with limits: sd 0 is a result, the indices are not; no rule fires.
    QualityFigures flat = Analyze(std::vector<double>(30, 0.1), limits);
    EXPECT_EQ(*flat.summary.stddev, 0.0);
    EXPECT_EQ(*flat.stddevWithin, 0.0);
    EXPECT_EQ(*flat.summary.mean, 0.1);
    EXPECT_FALSE(flat.capability.cp || flat.capability.cpk || flat.capability.pp ||
                 flat.capability.ppk);
    EXPECT_TRUE(flat.violations.empty());
    EXPECT_EQ(*flat.imr.ucl, 0.1);

    // No limits: indices and shares undefined.
    QualityFigures free = Analyze({1.0, 2.0, 4.0});
    EXPECT_FALSE(free.capability.cp || free.capability.cpk || free.capability.pp);
    EXPECT_FALSE(free.shares.below || free.shares.inside || free.shares.above);
}

TEST(ProcessStatistics, MedianAndPercentilesInterpolateBetweenOrderStatistics) {
    // 1..5 in scrambled order: median 3; p = 0.00135 sits at position 0.0054, p = 0.99865 at
    // 3.9946 (counted from 0).
    QualityFigures odd = Analyze({4, 1, 5, 3, 2});
    EXPECT_EQ(*odd.summary.median, 3.0);
    EXPECT_DOUBLE_EQ(*odd.summary.p00135, 1.0 + 0.0054);
    EXPECT_DOUBLE_EQ(*odd.summary.p99865, 4.0 + 0.9946);
    EXPECT_EQ(*odd.summary.min, 1.0);
    EXPECT_EQ(*odd.summary.max, 5.0);
    EXPECT_EQ(*odd.summary.range, 4.0);
    QualityFigures even = Analyze({10, 40, 20, 30});
    EXPECT_EQ(*even.summary.median, 25.0);
    // 1001 values 0..1000: percentiles at 1.35 and 998.65.
    std::vector<double> ramp;
    for (int i = 1000; i >= 0; --i) {
        ramp.push_back(i);
    }
    QualityFigures big = Analyze(ramp);
    EXPECT_NEAR(*big.summary.p00135, 1.35, 1e-12);
    EXPECT_NEAR(*big.summary.p99865, 998.65, 1e-12);
    EXPECT_EQ(*big.summary.median, 500.0);
}

TEST(ProcessStatistics, UnbiasingConstantC4) {
    // Closed forms for 2, 3, 4 and 5 values.
    EXPECT_NEAR(UnbiasingConstantC4(2), std::sqrt(2.0 / std::numbers::pi), 1e-15);
    EXPECT_NEAR(UnbiasingConstantC4(3), std::sqrt(std::numbers::pi) / 2.0, 1e-15);
    EXPECT_NEAR(UnbiasingConstantC4(4), 2.0 * std::sqrt(2.0 / (3.0 * std::numbers::pi)), 1e-15);
    EXPECT_NEAR(UnbiasingConstantC4(5), 0.75 * std::sqrt(std::numbers::pi / 2.0), 1e-15);
    // The four-digit values of the usual control-chart tables.
    const std::pair<int, double> table[] = {
        {6, 0.9515}, {10, 0.9727}, {15, 0.9823}, {20, 0.9869}, {25, 0.9896}};
    for (const auto& [d, c4] : table) {
        EXPECT_NEAR(UnbiasingConstantC4(d), c4, 5e-5) << d;
    }
    // Beyond the direct Gamma quotient: for odd d, Gamma(m + 1/2) = (2m)! sqrt(pi) / (4^m m!)
    // with m = (d - 1) / 2, evaluated exactly in 60-digit decimal arithmetic.
    EXPECT_NEAR(UnbiasingConstantC4(41), 0.99377013712462888, 1e-15);
    EXPECT_NEAR(UnbiasingConstantC4(1001), 0.99975003128905220, 1e-15);
    EXPECT_NEAR(UnbiasingConstantC4(65001), 0.99999615385355044, 1e-15);
    // Either side of the switch between the two ways of computing it, against log-gamma.
    for (int64_t d : {39, 40, 42, 100}) {
        const double a = 0.5 * static_cast<double>(d - 1);
        const double expected = std::exp(std::lgamma(a + 0.5) - std::lgamma(a) - 0.5 * std::log(a));
        EXPECT_NEAR(UnbiasingConstantC4(d), expected, 1e-13) << d;
    }
    EXPECT_EQ(UnbiasingConstantC4(1), 0.0);
}

TEST(ProcessStatistics, WithinSubgroupSpread) {
    // Moving ranges of 1, 3, 2, 6: 2, 1, 4, average 7/3; sigma = 7/3 / 1.128.
    QualityFigures single = Analyze({1, 3, 2, 6});
    EXPECT_NEAR(*single.stddevWithin, (7.0 / 3.0) / 1.128, 1e-15);
    EXPECT_NEAR(*single.imr.mrBar, 7.0 / 3.0, 1e-15);

    // Subgroups {1, 3} and {2, 6}: squares 2 and 8 over 2 degrees of freedom, c4(3).
    QualityOptions pairs;
    pairs.subgroupSize = 2;
    const double pooled = std::sqrt(10.0 / 2.0) / (std::sqrt(std::numbers::pi) / 2.0);
    EXPECT_NEAR(*Analyze({1, 3, 2, 6}, pairs).stddevWithin, pooled, 1e-14);
    // A last subgroup of one value adds no degree of freedom.
    EXPECT_NEAR(*Analyze({1, 3, 2, 6, 100}, pairs).stddevWithin, pooled, 1e-14);

    // Subgroups of 3: {1, 2, 3} squares 2, {10, 20, 30} squares 200, 4 degrees: c4(5).
    QualityOptions triples;
    triples.subgroupSize = 3;
    EXPECT_NEAR(*Analyze({1, 2, 3, 10, 20, 30}, triples).stddevWithin,
                std::sqrt(202.0 / 4.0) / (0.75 * std::sqrt(std::numbers::pi / 2.0)), 1e-13);
    // A subgroup larger than all values is one subgroup: the sample sd over c4(n).
    QualityOptions wide;
    wide.subgroupSize = 100;
    EXPECT_NEAR(*Analyze({1, 3, 2, 6}, wide).stddevWithin,
                std::sqrt(14.0 / 3.0) / (2.0 * std::sqrt(2.0 / (3.0 * std::numbers::pi))), 1e-14);
    // No subgroup of two: undefined.
    EXPECT_FALSE(Analyze({1}, pairs).stddevWithin);
}

TEST(ProcessStatistics, CapabilityIndicesWorkedByHand) {
    // 1..5: mean 3, s = sqrt(2.5), MR-bar 1, sigma within 1 / 1.128.
    const std::vector<double> values = {1, 2, 3, 4, 5};
    const double within = 1.0 / 1.128;
    const double overall = std::sqrt(2.5);

    QualityOptions centred;
    centred.limits = {0.0, 6.0};
    Capability c = Analyze(values, centred).capability;
    EXPECT_NEAR(*c.cp, 6.0 / (6.0 * within), 1e-14);
    EXPECT_NEAR(*c.cpk, 3.0 / (3.0 * within), 1e-14);
    EXPECT_NEAR(*c.pp, 6.0 / (6.0 * overall), 1e-14);
    EXPECT_NEAR(*c.ppk, 3.0 / (3.0 * overall), 1e-14);

    QualityOptions offCentre;
    offCentre.limits = {1.0, 7.0};
    c = Analyze(values, offCentre).capability;
    EXPECT_NEAR(*c.cp, 6.0 / (6.0 * within), 1e-14);
    EXPECT_NEAR(*c.cpu, 4.0 / (3.0 * within), 1e-14);
    EXPECT_NEAR(*c.cpl, 2.0 / (3.0 * within), 1e-14);
    EXPECT_NEAR(*c.cpk, 2.0 / (3.0 * within), 1e-14);
    EXPECT_NEAR(*c.pp, 6.0 / (6.0 * overall), 1e-14);
    EXPECT_NEAR(*c.ppk, 2.0 / (3.0 * overall), 1e-14);

    // Upper limit only: CPU and PPU; Cp and Pp undefined.
    QualityOptions upper;
    upper.limits.upper = 7.0;
    c = Analyze(values, upper).capability;
    EXPECT_FALSE(c.cp || c.pp || c.cpl || c.ppl);
    EXPECT_NEAR(*c.cpk, 4.0 / (3.0 * within), 1e-14);
    EXPECT_NEAR(*c.ppk, 4.0 / (3.0 * overall), 1e-14);

    // Lower limit only, the mean below it: a negative CPL is a result.
    QualityOptions lower;
    lower.limits.lower = 3.5;
    c = Analyze(values, lower).capability;
    EXPECT_FALSE(c.cp || c.pp || c.cpu || c.ppu);
    EXPECT_NEAR(*c.cpk, -0.5 / (3.0 * within), 1e-14);
    EXPECT_NEAR(*c.ppk, -0.5 / (3.0 * overall), 1e-14);
}

TEST(ProcessStatistics, SharesBelowInsideAndAboveTheLimits) {
    QualityOptions options;
    options.limits = {1.5, 4.0};  // a value on a limit is inside
    const LimitShares shares = Analyze({1, 2, 3, 4, 5}, options).shares;
    EXPECT_EQ(shares.below->count, 1);
    EXPECT_EQ(shares.inside->count, 3);
    EXPECT_EQ(shares.above->count, 1);
    EXPECT_DOUBLE_EQ(shares.inside->share, 0.6);
    EXPECT_DOUBLE_EQ(shares.below->share, 0.2);

    QualityOptions upperOnly;
    upperOnly.limits.upper = 2.0;
    const LimitShares upper = Analyze({1, 2, 3, 4}, upperOnly).shares;
    EXPECT_FALSE(upper.below);
    EXPECT_EQ(upper.inside->count, 2);
    EXPECT_EQ(upper.above->count, 2);
}

TEST(ProcessStatistics, Histogram) {
    // 0..99: IQR 49.5, Freedman-Diaconis width 2 * 49.5 / 100^(1/3) = 21.33, range 99: 5 bins
    // of width 19.8.
    std::vector<double> ramp;
    for (int i = 0; i < 100; ++i) {
        ramp.push_back(i);
    }
    Histogram h = Analyze(ramp).histogram;
    ASSERT_EQ(h.counts.size(), 5u);
    ASSERT_EQ(h.edges.size(), 6u);
    EXPECT_EQ(h.edges.front(), 0.0);
    EXPECT_EQ(h.edges.back(), 99.0);
    EXPECT_NEAR(h.edges[1], 19.8, 1e-12);
    EXPECT_EQ(h.counts, (std::vector<int64_t>{20, 20, 20, 20, 20}));

    // 0..1999: IQR 999.5, range 1999: 1999 / (2 * 999.5 / 2000^(1/3)) = 12.6, 13 bins.
    std::vector<double> longRamp;
    for (int i = 0; i < 2000; ++i) {
        longRamp.push_back(i);
    }
    EXPECT_EQ(Analyze(longRamp).histogram.counts.size(), 13u);

    // A bin count given: values on inner edges go to the bin above, the maximum to the last.
    QualityOptions four;
    four.histogramBins = 4;
    h = Analyze({0, 1, 2, 3, 4, 4}, four).histogram;
    EXPECT_EQ(h.edges, (std::vector<double>{0, 1, 2, 3, 4}));
    EXPECT_EQ(h.counts, (std::vector<int64_t>{1, 1, 1, 3}));

    // Quartiles without spread give the most bins; one value fills the middle of [x-0.5, x+0.5].
    std::vector<double> spiky(99, 5.0);
    spiky.push_back(6.0);
    EXPECT_EQ(Analyze(spiky).histogram.counts.size(), 200u);
    h = Analyze({7.0}).histogram;
    EXPECT_EQ(h.counts, (std::vector<int64_t>{0, 0, 1, 0, 0}));
    EXPECT_EQ(h.edges.front(), 6.5);
    EXPECT_EQ(h.edges.back(), 7.5);

    EXPECT_EQ(FreedmanDiaconisBins(1000000, 1.0, 1e9), 200);
    EXPECT_EQ(FreedmanDiaconisBins(10, 10.0, 1.0), 5);
}

TEST(ProcessStatistics, IndividualsAndMovingRangeChart) {
    // 1, 3, 2, 6: mean 3, MR-bar 7/3.
    const IndividualsChart imr = Analyze({1, 3, 2, 6}).imr;
    const double sigma = (7.0 / 3.0) / 1.128;
    EXPECT_EQ(*imr.center, 3.0);
    EXPECT_NEAR(*imr.ucl, 3.0 + 3.0 * sigma, 1e-14);
    EXPECT_NEAR(*imr.lcl, 3.0 - 3.0 * sigma, 1e-14);
    EXPECT_NEAR(*imr.mrUcl, 3.267 * 7.0 / 3.0, 1e-14);
}

TEST(ProcessStatistics, RefusesBadOptionsAndValues) {
    QualityAnalyzer analyzer;
    QualityFigures figures;
    ResultInfo info;
    const std::vector<double> values = {1, 2, 3};
    QualityOptions options;
    options.limits = {2.0, 2.0};
    EXPECT_EQ(analyzer.Analyze(values, options, figures, &info), ZUL_ERR_RANGE);
    options.limits = {3.0, 2.0};
    EXPECT_EQ(CheckQualityOptions(options, &info), ZUL_ERR_RANGE);
    options.limits = {std::nullopt, NAN};
    EXPECT_EQ(CheckQualityOptions(options), ZUL_ERR_RANGE);
    options = {};
    options.subgroupSize = 0;
    EXPECT_EQ(CheckQualityOptions(options), ZUL_ERR_RANGE);
    options = {};
    options.histogramBins = 201;
    EXPECT_EQ(CheckQualityOptions(options), ZUL_ERR_RANGE);
    options.histogramBins = 200;
    EXPECT_EQ(CheckQualityOptions(options), ZUL_OK);
    const std::vector<double> broken = {1.0, INFINITY, 2.0};
    EXPECT_EQ(analyzer.Analyze(broken, {}, figures, &info), ZUL_ERR_RANGE);
    EXPECT_EQ(info.detail1, "1");
}

TEST(ProcessStatistics, SubRangesAndRollingWindowsAnalyseInPlace) {
    // The figures of values 3..6 of a block equal those of the four values alone.
    const std::vector<double> block = {100, 100, 1, 3, 2, 6, -100};
    QualityAnalyzer analyzer;
    QualityFigures part;
    ASSERT_EQ(analyzer.Analyze(std::span(block).subspan(2, 4), {}, part), ZUL_OK);
    const QualityFigures alone = Analyze({1, 3, 2, 6});
    EXPECT_EQ(part.summary.count, 4);
    EXPECT_EQ(*part.summary.mean, *alone.summary.mean);
    EXPECT_EQ(*part.summary.stddev, *alone.summary.stddev);
    EXPECT_EQ(*part.imr.mrBar, *alone.imr.mrBar);
    EXPECT_EQ(part.histogram.counts, alone.histogram.counts);

    // A window of 3 over 1..7 holds 5, 6, 7 contiguously, oldest first.
    RollingWindow window(3);
    for (int i = 1; i <= 7; ++i) {
        window.Push(i);
        if (i == 2) {
            EXPECT_EQ(std::vector<double>(window.Values().begin(), window.Values().end()),
                      (std::vector<double>{1, 2}));
        }
    }
    EXPECT_EQ(std::vector<double>(window.Values().begin(), window.Values().end()),
              (std::vector<double>{5, 6, 7}));
    EXPECT_EQ(window.Pushed(), 7);
    QualityFigures rolling;
    ASSERT_EQ(analyzer.Analyze(window.Values(), {}, rolling), ZUL_OK);
    EXPECT_EQ(*rolling.summary.mean, 6.0);
    EXPECT_EQ(*rolling.summary.stddev, 1.0);
    window.Clear();
    EXPECT_EQ(window.Size(), 0u);
    window.Push(9);
    EXPECT_EQ(window.Values()[0], 9.0);
}

}  // namespace
}  // namespace zul::test
