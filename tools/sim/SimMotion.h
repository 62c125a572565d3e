// SPDX-License-Identifier: GPL-3.0-or-later
// The target each sensor head looks at: its displacement over time.
#pragma once

#include <cstdint>
#include <optional>

namespace zul::sim {

// Measuring range of a head: displacements beyond +-kHeadRangeMm put the spot off the
// receiving element and raise the head's alarm.
inline constexpr double kHeadRangeMm = 10.0;

struct TargetMotion {
    double baseMm = 0.0;            // rest position
    double driftMm = 0.0;           // amplitude of the slow drift
    double driftPeriodS = 60.0;     // period of the slow drift
    double waveMm = 0.0;            // amplitude of the periodic motion
    double waveHz = 1.0;            // frequency of the periodic motion
    double noiseMm = 0.0;           // standard deviation of the noise
    double reflectance = 0.8;       // 0..1, how much light the target returns
    std::optional<double> fixedMm;  // when set, the displacement is exactly this value
};

// A displacement generator with its own deterministic noise source.
class SimMotion {
public:
    explicit SimMotion(uint64_t seed = 1) : state_(seed ? seed : 1) {}

    void Set(const TargetMotion& motion) { motion_ = motion; }
    const TargetMotion& Get() const { return motion_; }

    // Displacement at controller time t (seconds). Draws noise, so call once per sample.
    double Sample(double timeS);

private:
    double Gaussian();

    TargetMotion motion_;
    uint64_t state_;
};

}  // namespace zul::sim
