// SPDX-License-Identifier: GPL-3.0-or-later
#include "SimMotion.h"

#include <cmath>
#include <numbers>

namespace zul::sim {

double SimMotion::Sample(double timeS) {
    if (motion_.fixedMm) {
        return *motion_.fixedMm;
    }
    constexpr double kTwoPi = 2.0 * std::numbers::pi;
    double value = motion_.baseMm;
    if (motion_.driftPeriodS > 0) {
        value += motion_.driftMm * std::sin(kTwoPi * timeS / motion_.driftPeriodS);
    }
    value += motion_.waveMm * std::sin(kTwoPi * motion_.waveHz * timeS);
    if (motion_.noiseMm > 0) {
        value += motion_.noiseMm * Gaussian();
    }
    return value;
}

double SimMotion::Gaussian() {
    // xorshift64* and the sum of four uniforms: cheap, deterministic, bell-shaped.
    double sum = 0;
    for (int i = 0; i < 4; ++i) {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        uint64_t r = state_ * 2685821657736338717ULL;
        sum += static_cast<double>(r >> 11) * (1.0 / 9007199254740992.0);
    }
    return (sum - 2.0) * std::sqrt(3.0);
}

}  // namespace zul::sim
