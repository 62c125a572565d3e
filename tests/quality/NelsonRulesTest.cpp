// SPDX-License-Identifier: GPL-3.0-or-later
// The Nelson rules: for each rule a planted shift and a planted trend (or, for the rules that
// neither a shift nor a trend breaks, the rule's own pattern on a shifted level and along a
// drift), against centre 0 and sigma 1, with the flagged points worked out by hand; then
// stationary noise of a fixed seed, whose flags (none, or the few it has) were found by a
// separate brute-force check of every window.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>
#include <vector>

#include "quality/NelsonRules.h"
#include "quality/ProcessStatistics.h"

namespace zul::test {
namespace {

// The quiet background: +1, +1, -1, -1, ... (value numbers from 1). Its points lie exactly on
// the 1-sigma lines, so they are neither within nor beyond 1 sigma, and equal neighbours end
// every rising, falling or alternating run. It breaks no rule.
std::vector<double> Background(size_t count) {
    std::vector<double> values;
    for (size_t i = 0; i < count; ++i) {
        values.push_back(i % 4 < 2 ? 1.0 : -1.0);
    }
    return values;
}

// The background with the pattern planted from value number first on.
std::vector<double> Planted(size_t first, const std::vector<double>& pattern) {
    std::vector<double> values = Background(60);
    for (size_t i = 0; i < pattern.size(); ++i) {
        values[first - 1 + i] = pattern[i];
    }
    return values;
}

// The value numbers (from 1) that the rule flags with centre 0 and sigma 1.
std::vector<int64_t> Flagged(const std::vector<double>& values, int32_t rule) {
    std::vector<RuleViolation> violations;
    FindNelsonViolations(values, 0.0, 1.0, violations);
    std::vector<int64_t> numbers;
    for (const RuleViolation& v : violations) {
        if (v.rule == rule) {
            numbers.push_back(v.index + 1);
        }
    }
    return numbers;
}

using Numbers = std::vector<int64_t>;

TEST(NelsonRules, BackgroundBreaksNoRule) {
    std::vector<RuleViolation> violations = {{1, 1}};
    FindNelsonViolations(Background(60), 0.0, 1.0, violations);
    EXPECT_TRUE(violations.empty());
}

TEST(NelsonRules, Rule1BeyondThreeSigma) {
    EXPECT_EQ(Flagged(Planted(21, {3.5, 3.5, 3.5, 3.5, 3.5}), 1), (Numbers{21, 22, 23, 24, 25}));
    // A drift of 0.5 per point: 3.0 lies on the limit, 3.5 beyond it.
    EXPECT_EQ(Flagged(Planted(21, {0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 3.5, 4.0, 4.5, 5.0}), 1),
              (Numbers{27, 28, 29, 30}));
    EXPECT_EQ(Flagged(Planted(21, {-3.01}), 1), (Numbers{21}));
}

TEST(NelsonRules, Rule2NineOnOneSide) {
    // Ten points shifted to +0.5 after a point below: the ninth and tenth are flagged.
    EXPECT_EQ(Flagged(Planted(21, std::vector<double>(10, 0.5)), 2), (Numbers{29, 30}));
    // A drift upward from just above the centre; value 30 of the background (+1) extends it.
    EXPECT_EQ(Flagged(Planted(21, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9}), 2),
              (Numbers{29, 30}));
    // A point on the centre line ends the run.
    EXPECT_TRUE(Flagged(Planted(21, {-0.5, -0.5, -0.5, -0.5, 0.0, -0.5, -0.5, -0.5, -0.5, -0.5}), 2)
                    .empty());
}

TEST(NelsonRules, Rule3SixRisingOrFalling) {
    // A rising drift; the point before it (-1) starts the run, so 25 is the sixth point.
    EXPECT_EQ(Flagged(Planted(21, {-0.5, -0.3, -0.1, 0.1, 0.3, 0.5}), 3), (Numbers{25, 26}));
    // A staircase of downward shifts; the following -1 continues it, the -1 after ends it.
    EXPECT_EQ(Flagged(Planted(21, {0.9, 0.5, 0.1, -0.3, -0.7, -0.9}), 3), (Numbers{26, 27}));
    // Equal neighbours end a run.
    EXPECT_TRUE(Flagged(Planted(21, {-0.5, -0.3, -0.1, -0.1, 0.3, 0.5}), 3).empty());
}

TEST(NelsonRules, Rule4FourteenAlternating) {
    // Alternation around a level shifted to +0.5; it begins at the -1 before it.
    std::vector<double> around;
    for (int i = 0; i < 14; ++i) {
        around.push_back(i % 2 == 0 ? 0.9 : 0.1);
    }
    EXPECT_EQ(Flagged(Planted(21, around), 4), (Numbers{33, 34}));
    // Alternation along a rising drift; the -1 after it alternates once more.
    EXPECT_EQ(Flagged(Planted(21, {-0.4, 0.7, -0.2, 0.9, 0.0, 1.1, 0.2, 1.3, 0.4, 1.5, 0.6, 1.7,
                                   0.8, 1.9}),
                      4),
              (Numbers{34, 35}));
    // Thirteen alternating points are not enough, fourteen are (a repeated value ends each).
    std::vector<double> run;
    for (int i = 0; i < 13; ++i) {
        run.push_back(i % 2 == 0 ? 0.1 : 0.9);
    }
    run.push_back(run.back());
    EXPECT_TRUE(Flagged(Planted(21, run), 4).empty());
    run.back() = 0.9;
    run.push_back(0.9);
    EXPECT_EQ(Flagged(Planted(21, run), 4), (Numbers{34}));
}

TEST(NelsonRules, Rule5TwoOfThreeBeyondTwoSigma) {
    EXPECT_EQ(Flagged(Planted(21, {2.5, 2.5, 2.5}), 5), (Numbers{22, 23}));
    // Along a drift: 23 and 25 beyond, 24 (1.9) not; only 25 completes two of three.
    EXPECT_EQ(Flagged(Planted(21, {0.8, 1.4, 2.1, 1.9, 2.6}), 5), (Numbers{25}));
    // Beyond on opposite sides does not count together; 21 and 23 above do.
    EXPECT_EQ(Flagged(Planted(21, {2.5, -2.5, 2.5}), 5), (Numbers{23}));
    EXPECT_TRUE(Flagged(Planted(21, {2.5, -2.5, 0.0, 0.0}), 5).empty());
}

TEST(NelsonRules, Rule6FourOfFiveBeyondOneSigma) {
    EXPECT_EQ(Flagged(Planted(21, {-1.5, -1.5, -1.5, -1.5, -1.5}), 6), (Numbers{24, 25}));
    EXPECT_EQ(Flagged(Planted(21, {0.7, 1.05, 1.2, 0.9, 1.35, 1.5}), 6), (Numbers{26}));
}

TEST(NelsonRules, Rule7FifteenWithinOneSigma) {
    // A drop in spread around a level shifted to +0.3.
    EXPECT_EQ(Flagged(Planted(21, {0.3, 0.5, 0.2, 0.4, 0.1, 0.5, 0.3, 0.6, 0.2, 0.4, 0.3, 0.5, 0.1,
                                   0.4, 0.2}),
                      7),
              (Numbers{35}));
    // A slow drift through the centre, -0.7 to +0.7.
    std::vector<double> drift;
    for (int i = -7; i <= 7; ++i) {
        drift.push_back(i / 10.0);
    }
    EXPECT_EQ(Flagged(Planted(21, drift), 7), (Numbers{35}));
    drift.pop_back();
    EXPECT_TRUE(Flagged(Planted(21, drift), 7).empty());
}

TEST(NelsonRules, Rule8EightBeyondOneSigmaEitherSide) {
    // The process switching between two shifted levels.
    EXPECT_EQ(Flagged(Planted(21, {1.5, 1.7, -1.4, -1.6, 1.5, 1.3, -1.8, -1.2}), 8), (Numbers{28}));
    // A swing that grows along the run.
    EXPECT_EQ(Flagged(Planted(21, {1.1, -1.2, 1.3, -1.4, 1.5, -1.6, 1.7, -1.8, 1.9}), 8),
              (Numbers{28, 29}));
}

TEST(NelsonRules, ViolationsAreOrderedByPointThenRule) {
    std::vector<RuleViolation> violations;
    FindNelsonViolations(Planted(21, {3.5, 3.5, 3.5}), 0.0, 1.0, violations);
    // Value 22: rules 1 and 5; value 23: rules 1 and 5 (three beyond 1 sigma are not four).
    EXPECT_EQ(violations,
              (std::vector<RuleViolation>{{1, 20}, {1, 21}, {5, 21}, {1, 22}, {5, 22}}));
    FindNelsonViolations(Planted(21, {3.5}), 0.0, 0.0, violations);
    EXPECT_TRUE(violations.empty());  // no zones without spread
}

// Normal noise around 10 with sigma 0.01 from a 64-bit linear congruential generator and the
// Box-Muller transform, so that the sequence is the same with every standard library.
std::vector<double> Noise(uint64_t seed, size_t count) {
    uint64_t state = seed;
    auto uniform = [&state] {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state >> 11) * 0x1.0p-53;
    };
    std::vector<double> values;
    for (size_t i = 0; i < count; ++i) {
        const double u1 = 1.0 - uniform();
        const double u2 = uniform();
        values.push_back(10.0 + 0.01 * std::sqrt(-2.0 * std::log(u1)) *
                                    std::cos(2.0 * std::numbers::pi * u2));
    }
    return values;
}

std::vector<RuleViolation> AnalysedViolations(const std::vector<double>& values) {
    QualityAnalyzer analyzer;
    QualityFigures figures;
    EXPECT_EQ(analyzer.Analyze(values, {}, figures), ZUL_OK);
    return figures.violations;
}

TEST(NelsonRules, StationaryNoiseAgainstItsOwnLimits) {
    EXPECT_TRUE(AnalysedViolations(Noise(16, 150)).empty());
    // Longer runs of the same noise raise the rare false alarms a process in control gives.
    EXPECT_EQ(AnalysedViolations(Noise(5, 200)), (std::vector<RuleViolation>{{6, 189}}));
    EXPECT_EQ(AnalysedViolations(Noise(2, 200)),
              (std::vector<RuleViolation>{
                  {2, 16}, {2, 17}, {2, 18}, {4, 25}, {4, 26}, {4, 27}, {6, 152}}));
    // One gross outlier: flagged by rule 1, and the wider limits it causes make the quiet
    // stretch 41..63 fifteen points within 1 sigma.
    std::vector<double> spike = Noise(16, 150);
    spike[74] = 10.1;
    EXPECT_EQ(
        AnalysedViolations(spike),
        (std::vector<RuleViolation>{
            {7, 55}, {7, 56}, {7, 57}, {7, 58}, {7, 59}, {7, 60}, {7, 61}, {7, 62}, {1, 74}}));
}

}  // namespace
}  // namespace zul::test
