// SPDX-License-Identifier: GPL-3.0-or-later
#include "quality/NelsonRules.h"

#include <array>
#include <cmath>

namespace zul {

namespace {

// How many of the last `Length` points were beyond a zone on one side.
template <size_t Length>
class ZoneWindow {
public:
    // Adds the newest point; returns how many of the last Length points are beyond.
    int32_t Push(bool beyond) {
        count_ += (beyond ? 1 : 0) - (ring_[next_] ? 1 : 0);
        ring_[next_] = beyond;
        next_ = (next_ + 1) % Length;
        return count_;
    }

private:
    std::array<bool, Length> ring_{};
    size_t next_ = 0;
    int32_t count_ = 0;
};

int Sign(double value) {
    return (value > 0.0) - (value < 0.0);
}

}  // namespace

void FindNelsonViolations(std::span<const double> values, double center, double sigma,
                          std::vector<RuleViolation>& out) {
    out.clear();
    if (!(sigma > 0.0) || !std::isfinite(sigma)) {
        return;
    }
    int64_t sameSide = 0;  // rule 2: points in the current run on one side
    int previousSide = 0;
    int64_t monotone = 0;  // rule 3: points in the current rising or falling run
    int previousStep = 0;
    int64_t alternating = 0;  // rule 4: points in the current alternating run
    int64_t within1 = 0;      // rule 7
    int64_t beyond1 = 0;      // rule 8
    ZoneWindow<3> above2, below2;
    ZoneWindow<5> above1, below1;

    for (size_t i = 0; i < values.size(); ++i) {
        const double offset = values[i] - center;
        const double distance = std::fabs(offset);
        const int side = Sign(offset);
        const int64_t index = static_cast<int64_t>(i);
        auto flag = [&](int32_t rule) { out.push_back({rule, index}); };

        if (distance > 3.0 * sigma) {
            flag(1);
        }

        sameSide = side != 0 && side == previousSide ? sameSide + 1 : (side != 0 ? 1 : 0);
        previousSide = side;
        if (sameSide >= 9) {
            flag(2);
        }

        const int step = i == 0 ? 0 : Sign(values[i] - values[i - 1]);
        if (step == 0) {
            monotone = 1;
            alternating = 1;
        } else {
            monotone = step == previousStep ? monotone + 1 : 2;
            alternating = previousStep == -step ? alternating + 1 : 2;
        }
        previousStep = step;
        if (monotone >= 6) {
            flag(3);
        }
        if (alternating >= 14) {
            flag(4);
        }

        const bool up2 = offset > 2.0 * sigma;
        const bool down2 = offset < -2.0 * sigma;
        const int32_t countUp2 = above2.Push(up2);
        const int32_t countDown2 = below2.Push(down2);
        if ((up2 && countUp2 >= 2) || (down2 && countDown2 >= 2)) {
            flag(5);
        }

        const bool up1 = offset > sigma;
        const bool down1 = offset < -sigma;
        const int32_t countUp1 = above1.Push(up1);
        const int32_t countDown1 = below1.Push(down1);
        if ((up1 && countUp1 >= 4) || (down1 && countDown1 >= 4)) {
            flag(6);
        }

        within1 = distance < sigma ? within1 + 1 : 0;
        if (within1 >= 15) {
            flag(7);
        }

        beyond1 = up1 || down1 ? beyond1 + 1 : 0;
        if (beyond1 >= 8) {
            flag(8);
        }
    }
}

}  // namespace zul
