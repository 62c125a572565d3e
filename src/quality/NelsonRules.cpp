// SPDX-License-Identifier: GPL-3.0-or-later
#include "quality/NelsonRules.h"

#include <array>
#include <cmath>

namespace zul {

namespace {

int Sign(double value) {
    return (value > 0.0) - (value < 0.0);
}

// Set bits of the numbers 0..31 (std::popcount is a library call without POPCNT).
constexpr std::array<int8_t, 32> kSetBits = [] {
    std::array<int8_t, 32> bits{};
    for (size_t i = 0; i < bits.size(); ++i) {
        bits[i] = static_cast<int8_t>((i & 1) + ((i >> 1) & 1) + ((i >> 2) & 1) + ((i >> 3) & 1) +
                                      ((i >> 4) & 1));
    }
    return bits;
}();

// The last points' "beyond" marks as bits, newest lowest, kept to the window's length by mask
// (at most five points); returns how many of them were beyond.
int32_t PushMark(uint32_t& marks, bool beyond, uint32_t mask) {
    marks = ((marks << 1) | static_cast<uint32_t>(beyond)) & mask;
    return kSetBits[marks];
}

}  // namespace

void FindNelsonViolations(std::span<const double> values, double center, double sigma,
                          std::vector<RuleViolation>& out) {
    out.clear();
    if (!(sigma > 0.0) || !std::isfinite(sigma)) {
        return;
    }
    const double zone1 = sigma;
    const double zone2 = 2.0 * sigma;
    const double zone3 = 3.0 * sigma;
    int64_t sameSide = 0;  // rule 2: points in the current run on one side
    int previousSide = 0;
    int64_t monotone = 0;     // rule 3: points in the current rising or falling run
    int64_t alternating = 0;  // rule 4: points in the current alternating run
    int previousStep = 0;
    int64_t within1 = 0;  // rule 7
    int64_t beyond1 = 0;  // rule 8
    uint32_t above2 = 0;  // rule 5: the last three points
    uint32_t below2 = 0;
    uint32_t above1 = 0;  // rule 6: the last five points
    uint32_t below1 = 0;

    // The counters are updated without branches: on noisy values every comparison below
    // would otherwise be a coin toss for the branch predictor.
    double previous = values.empty() ? 0.0 : values[0];
    for (size_t i = 0; i < values.size(); ++i) {
        const double value = values[i];
        const double offset = value - center;
        const double distance = std::fabs(offset);
        const int side = Sign(offset);
        const int step = Sign(value - previous);
        previous = value;

        sameSide = (side != 0) * ((side == previousSide) * sameSide + 1);
        previousSide = side;
        monotone = 1 + (step != 0) * (1 + (step == previousStep) * (monotone - 1));
        alternating = 1 + (step != 0) * (1 + (step == -previousStep) * (alternating - 1));
        previousStep = step;
        const bool up2 = offset > zone2;
        const bool down2 = offset < -zone2;
        const int32_t countUp2 = PushMark(above2, up2, 0x7u);
        const int32_t countDown2 = PushMark(below2, down2, 0x7u);
        const bool up1 = offset > zone1;
        const bool down1 = offset < -zone1;
        const int32_t countUp1 = PushMark(above1, up1, 0x1Fu);
        const int32_t countDown1 = PushMark(below1, down1, 0x1Fu);
        within1 = (distance < zone1) * (within1 + 1);
        beyond1 = (up1 | down1) * (beyond1 + 1);

        const uint32_t broken = (distance > zone3 ? 1u : 0u) | (sameSide >= 9 ? 2u : 0u) |
                                (monotone >= 6 ? 4u : 0u) | (alternating >= 14 ? 8u : 0u) |
                                ((up2 & (countUp2 >= 2)) | (down2 & (countDown2 >= 2)) ? 16u : 0u) |
                                ((up1 & (countUp1 >= 4)) | (down1 & (countDown1 >= 4)) ? 32u : 0u) |
                                (within1 >= 15 ? 64u : 0u) | (beyond1 >= 8 ? 128u : 0u);
        if (broken != 0) {
            for (int32_t rule = 1; rule <= 8; ++rule) {
                if ((broken >> (rule - 1)) & 1u) {
                    out.push_back({rule, static_cast<int64_t>(i)});
                }
            }
        }
    }
}

}  // namespace zul
