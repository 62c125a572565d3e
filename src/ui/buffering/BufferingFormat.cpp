// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/BufferingFormat.h"

#include <algorithm>
#include <cmath>

#include "ui/framework/FallbackTexts.h"

namespace zul::ui {

namespace {

constexpr double kZeroBelow = 0.0000001;

}  // namespace

QString TableValueText(double value, const MicronMode& micron) {
    return StatisticText(std::clamp(value, -kTableValueLimit, kTableValueLimit), micron);
}

QString StatisticText(double value, const MicronMode& micron) {
    double shown = value;
    if (std::fabs(shown) < kZeroBelow) {
        shown = 0.0;
    }
    if (micron.active) {
        return QString::asprintf("%0.*f", int(micron.decimals), shown * micron.factor);
    }
    return QString::asprintf("%0.6lf", shown);
}

QString SelectedPointText(int64_t number, double value, const QString& unit,
                          const MicronMode& micron) {
    if (micron.active) {
        return QString::asprintf("(%lld, %.*f", static_cast<long long>(number),
                                 int(micron.decimals), value) +
               unit + ")";
    }
    return QString::asprintf("(%lld, %0.6lf", static_cast<long long>(number), value) + unit + ")";
}

QString ValueAxisUnit(const QString& recordUnit, bool recordFound, const MicronMode& micron) {
    if (recordFound) {
        return recordUnit;
    }
    return micron.active ? QString::fromUtf8("\u00B5m") : FallbackMillimetreUnit();
}

bool InGreenRun(int32_t number, int32_t runLength) {
    const int32_t length = std::max(runLength, 1);
    return number >= 1 && ((number - 1) / length) % 2 == 1;
}

CommandAvailability AvailableCommands(bool online, bool running, bool reading) {
    if (reading) {
        return {false, false, false};
    }
    if (running) {
        return {false, true, true};
    }
    if (!online) {
        return {false, false, true};
    }
    return {true, false, true};
}

}  // namespace zul::ui
