// SPDX-License-Identifier: GPL-3.0-or-later
// The eight Nelson rules of an individuals control chart: patterns that a process in control
// produces only rarely. Zones are measured from the centre line in units of sigma.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zul {

// One point that completes a pattern: rule 1..8 and the position of the value in the span
// given (from 0). A rule flags the last point of its pattern, and every further point for as
// long as the pattern goes on.
struct RuleViolation {
    int32_t rule = 0;
    int64_t index = 0;

    bool operator==(const RuleViolation&) const = default;
};

// The rules, as tested here ("beyond" and "within" are strict):
//  1  one point beyond 3 sigma;
//  2  nine points in a row on the same side of the centre line (a point on it ends the run);
//  3  six points in a row steadily increasing or steadily decreasing (equal neighbours end it);
//  4  fourteen points in a row alternating up and down;
//  5  two of three points in a row beyond 2 sigma on the same side; the flagged point is
//     itself one of them;
//  6  four of five points in a row beyond 1 sigma on the same side; likewise;
//  7  fifteen points in a row within 1 sigma on either side;
//  8  eight points in a row beyond 1 sigma, on either side.
// Near the start of the values, the points before the first count as not beyond any zone.
// Replaces the contents of out (reusing its storage) with the violations, ordered by index and
// then by rule. Sigma must be positive; otherwise out stays empty, as no zone exists.
void FindNelsonViolations(std::span<const double> values, double center, double sigma,
                          std::vector<RuleViolation>& out);

}  // namespace zul
