// SPDX-License-Identifier: GPL-3.0-or-later
// The adjustment forms' numbers in one place: their window messages and the control numbers of
// their widgets (records Scaling_*, Calib_*, Adjust_* and FloodLight_* of the UI definition).
#pragma once

#include <cstdint>

#include "link/MessageThread.h"

namespace zul::ui {

// --- Window messages (kUserMessage + n) ---
// A progress poll of the flood-light search has ended (1038).
inline constexpr uint32_t kWmFloodLightPollDone = kUserMessage + 14;

// --- Scaling form (one output) ---
inline constexpr int32_t kScalingWindow = 2141;             // "Analog output scaling"
inline constexpr int32_t kScalingOutputCaption = 2145;      // "OUT"
inline constexpr int32_t kScalingMeasureValue1Edit = 1398;  // Measured value 1
inline constexpr int32_t kScalingVoltageValue1Edit = 1400;  // Output voltage 1
inline constexpr int32_t kScalingMeasureValue2Edit = 1034;  // Measured value 2
inline constexpr int32_t kScalingVoltageValue2Edit = 1036;  // Output voltage 2
inline constexpr int32_t kScalingTake1Button = 2148;        // Take current value (point 1)
inline constexpr int32_t kScalingTake2Button = 2149;        // Take current value (point 2)

// --- Calibration form (one head) ---
inline constexpr int32_t kCalibWindow = 2142;             // "Calibration"
inline constexpr int32_t kCalibHeadCaption = 2147;        // "Head"
inline constexpr int32_t kCalibMeasureValue1Edit = 1364;  // Measured value 1
inline constexpr int32_t kCalibCorrectValue1Edit = 1366;  // Correct value 1
inline constexpr int32_t kCalibMeasureValue2Edit = 1369;  // Measured value 2
inline constexpr int32_t kCalibCorrectValue2Edit = 1371;  // Correct value 2
inline constexpr int32_t kCalibTake1Button = 2150;        // Take current value (point 1)
inline constexpr int32_t kCalibTake2Button = 2151;        // Take current value (point 2)

// --- Both point forms ---
inline constexpr int32_t kAdjustOkButton = 2152;
inline constexpr int32_t kAdjustCancelButton = 2153;

// --- Flood-light form ---
inline constexpr int32_t kFloodLightStartButton = 2158;
inline constexpr int32_t kFloodLightCloseButton = 2159;
// The head page's list "Light intensity control": its entries name the search results.
inline constexpr int32_t kFloodLightChoicesList = 1948;

}  // namespace zul::ui
