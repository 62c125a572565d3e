// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurement/FormatMeasuredValue.h"

#include <cmath>
#include <cstdio>

namespace zul {

namespace {

struct Scaling {
    int decimals;
    double scale;
};

Scaling ScalingOf(int32_t displayDigits) {
    switch (displayDigits) {
        case 0:
            return {6, 1000000.0};
        case 2:
            return {4, 10000.0};
        case 3:
            return {3, 1000.0};
        case 4:
            return {2, 100.0};
        case 5:
            return {1, 10.0};
        default:
            return {5, 100000.0};
    }
}

}  // namespace

std::string FormatMeasuredValue(double value, int32_t displayDigits, const MicronMode& micron) {
    Scaling scaling = ScalingOf(displayDigits);
    if (micron.active) {
        scaling.scale = 1000000.0;
        scaling.decimals = micron.decimals;
    }
    double shown = 0.0;
    if (value >= 950.0000001 || value <= -950.0000001) {
        double clamped = std::fmin(std::fmax(value, -999.999999), 999.999999);
        double sign = clamped < 0.0 ? -1.0 : 1.0;
        shown = std::floor(std::fabs(clamped) * scaling.scale) / scaling.scale * sign;
    } else if (std::isnan(value)) {
        shown = value;
    } else {
        double v = std::fabs(value) < 0.0000001 ? 0.0 : value;
        double sign = v < 0.0 ? -1.0 : 1.0;
        shown = std::floor(std::fabs(v) * scaling.scale + 0.51) / scaling.scale * sign;
    }
    if (micron.active) {
        shown *= micron.factor;
    }
    int decimals = scaling.decimals < 0 ? 0 : (scaling.decimals > 12 ? 12 : scaling.decimals);
    char text[64];
    std::snprintf(text, sizeof text, "%+.*f", decimals, shown);
    return text;
}

}  // namespace zul
