// SPDX-License-Identifier: GPL-3.0-or-later
// The constants of control charts and capability studies for ranges of two values and for the
// unbiasing of pooled standard deviations.
#pragma once

#include <cstdint>

namespace zul {

// Expected range of two normal values in units of their standard deviation: the moving range
// divided by it estimates sigma.
inline constexpr double kD2MovingRange = 1.128;
// Upper control limit of the moving-range chart as a multiple of the average moving range.
inline constexpr double kD4MovingRange = 3.267;

// The unbiasing constant c4(d) = sqrt(2 / (d - 1)) * Gamma(d / 2) / Gamma((d - 1) / 2): the
// expected sample standard deviation of d normal values in units of sigma. A pooled standard
// deviation with f degrees of freedom is divided by c4(f + 1). d below 2 gives 0.
double UnbiasingConstantC4(int64_t d);

}  // namespace zul
