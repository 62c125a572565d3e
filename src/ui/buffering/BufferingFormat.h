// SPDX-License-Identifier: GPL-3.0-or-later
// How the buffering window writes values: table cells, the selected-point text, the value
// axis, the colours of the table's rows and the command availability by window state.
#pragma once

#include <cstdint>

#include <QString>

#include "settings/MicronMode.h"

namespace zul::ui {

// Largest magnitude a table cell shows; values beyond it are shown at the limit.
inline constexpr double kTableValueLimit = 999.999999;
// The value axis runs over +-this (times the micron factor in micron mode).
inline constexpr double kValueAxisLimit = 950.0;

// "%0.6lf" of the value, or in micron mode the value times the factor with the micron
// decimals; |v| < 1e-7 shows 0, values beyond +-999.999999 show the limit.
QString TableValueText(double value, const MicronMode& micron);

// A computed statistic as TableValueText writes it, without the limit: the distance between
// the value lines reaches twice the largest value.
QString StatisticText(double value, const MicronMode& micron);

// "(%ld, %0.6lf%s)", or "(%ld, %.*f%s)" with the micron decimals in micron mode (the value
// is then already scaled by the caller's axis, i.e. times the factor).
QString SelectedPointText(int64_t number, double value, const QString& unit,
                          const MicronMode& micron);

// The unit of the value axis: the record's unit when there is one, else "mm" (micron mode:
// "µm").
QString ValueAxisUnit(const QString& recordUnit, bool recordFound, const MicronMode& micron);

// True when value number (from 1) lies in an even-numbered run (2nd, 4th, ...) of runLength
// values; runLength below 1 counts as 1.
bool InGreenRun(int32_t number, int32_t runLength);

// True for the buffering modes whose values are grouped by the sampling trigger (3 and 5).
constexpr bool GroupsBySamplingTrigger(int32_t bufferMode) {
    return bufferMode == 3 || bufferMode == 5;
}

// Which commands the window offers in a state.
struct CommandAvailability {
    bool startReadSelfStop = false;
    bool stop = false;
    bool clear = false;
    bool operator==(const CommandAvailability&) const = default;
};
CommandAvailability AvailableCommands(bool online, bool running, bool reading);

}  // namespace zul::ui
