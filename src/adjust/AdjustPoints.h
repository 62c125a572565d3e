// SPDX-License-Identifier: GPL-3.0-or-later
// The two points of an analog scaling (measure value and voltage) or of a calibration (measure
// value and correct value), as the adjustment forms hold them. A field that holds no valid
// number is empty.
#pragma once

#include <optional>

namespace zul {

struct AdjustPoints {
    std::optional<double> measure1;
    std::optional<double> measure2;
    std::optional<double> second1;  // voltage or correct value of point 1
    std::optional<double> second2;

    // Both measure values differ and both second values differ; an empty field or a NaN makes
    // the set invalid.
    bool IsValid() const {
        auto differ = [](const std::optional<double>& a, const std::optional<double>& b) {
            return a && b && (*a < *b || *a > *b);
        };
        return differ(measure1, measure2) && differ(second1, second2);
    }
};

}  // namespace zul
