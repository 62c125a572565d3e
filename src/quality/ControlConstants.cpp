// SPDX-License-Identifier: GPL-3.0-or-later
#include "quality/ControlConstants.h"

#include <cmath>

namespace zul {

namespace {

// The remainder of Stirling's series for ln Gamma(x) after (x - 1/2) ln x - x + ln(2 pi) / 2;
// its next term is below 1e-15 for x >= 20.
double StirlingRemainder(double x) {
    const double inverse = 1.0 / x;
    const double square = inverse * inverse;
    return inverse * (1.0 / 12.0 -
                      square * (1.0 / 360.0 - square * (1.0 / 1260.0 - square * (1.0 / 1680.0))));
}

}  // namespace

double UnbiasingConstantC4(int64_t d) {
    if (d < 2) {
        return 0.0;
    }
    const double a = 0.5 * static_cast<double>(d - 1);
    if (a < 20.0) {
        return std::sqrt(1.0 / a) * std::tgamma(a + 0.5) / std::tgamma(a);
    }
    // ln(Gamma(a + 1/2) / (Gamma(a) sqrt(a))) written so that no two large logarithms cancel:
    // a ln(1 + 1/(2a)) - 1/2 plus the difference of the series remainders.
    const double logRatio =
        a * std::log1p(0.5 / a) - 0.5 + StirlingRemainder(a + 0.5) - StirlingRemainder(a);
    return std::exp(logRatio);
}

}  // namespace zul
