// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement window's numbers in one place: its window messages, its timer and the
// control numbers of its widgets (records Measurement_* of the UI definition).
#pragma once

#include <array>
#include <cstdint>

#include "link/MessageThread.h"

namespace zul::ui {

// --- Window messages (kUserMessage + n) ---
// A measurement cycle came back from the measurement thread (1038).
inline constexpr uint32_t kWmMeasurementCycleDone = kUserMessage + 14;

// --- Timers ---
inline constexpr int kMeasurementTimerMs = 100;  // counts up to MeasureCycle

// --- Controls of one output ---
inline constexpr int32_t kMeasOut1Title = 1184;          // "OUT1"
inline constexpr int32_t kMeasOut1AlarmLamp = 1186;      // ALARM
inline constexpr int32_t kMeasOut1HiLamp = 1187;         // HI
inline constexpr int32_t kMeasOut1GoLamp = 1188;         // GO
inline constexpr int32_t kMeasOut1LowLamp = 1189;        // LOW
inline constexpr int32_t kMeasOut1StrobeLamp = 1573;     // STROBE
inline constexpr int32_t kMeasOut1Value = 1190;          // the measured value
inline constexpr int32_t kMeasOut1Offset = 1575;         // the zero-set offset
inline constexpr int32_t kMeasOut1AlarmText = 2055;      // the alarm in words
inline constexpr int32_t kMeasOut1ZeroSetButton = 1191;  // Zero set
inline constexpr int32_t kMeasOut1TimingButton = 1192;   // Timing
inline constexpr int32_t kMeasOut1ResetButton = 1193;    // Reset
inline constexpr int32_t kMeasOut1HoldButton = 1202;     // Hold
inline constexpr int32_t kMeasOut2Title = 1185;          // "OUT2"
inline constexpr int32_t kMeasOut2AlarmLamp = 1194;
inline constexpr int32_t kMeasOut2HiLamp = 1195;
inline constexpr int32_t kMeasOut2GoLamp = 1196;
inline constexpr int32_t kMeasOut2LowLamp = 1197;
inline constexpr int32_t kMeasOut2StrobeLamp = 1571;
inline constexpr int32_t kMeasOut2Value = 1198;
inline constexpr int32_t kMeasOut2Offset = 1572;
inline constexpr int32_t kMeasOut2AlarmText = 2056;
inline constexpr int32_t kMeasOut2ZeroSetButton = 1199;
inline constexpr int32_t kMeasOut2TimingButton = 1200;
inline constexpr int32_t kMeasOut2ResetButton = 1201;
inline constexpr int32_t kMeasOut2HoldButton = 1574;

// The controls of OUT1 and OUT2 side by side.
struct MeasOutputIds {
    int32_t title;
    std::array<int32_t, 5> lamps;  // ALARM, HI, GO, LOW, STROBE
    int32_t value;
    int32_t offset;
    int32_t alarm;
    std::array<int32_t, 3> inputs;  // zero-set, timing, reset
    int32_t hold;
};
inline constexpr std::array<MeasOutputIds, 2> kMeasOutputIds = {{
    {kMeasOut1Title,
     {kMeasOut1AlarmLamp, kMeasOut1HiLamp, kMeasOut1GoLamp, kMeasOut1LowLamp, kMeasOut1StrobeLamp},
     kMeasOut1Value,
     kMeasOut1Offset,
     kMeasOut1AlarmText,
     {kMeasOut1ZeroSetButton, kMeasOut1TimingButton, kMeasOut1ResetButton},
     kMeasOut1HoldButton},
    {kMeasOut2Title,
     {kMeasOut2AlarmLamp, kMeasOut2HiLamp, kMeasOut2GoLamp, kMeasOut2LowLamp, kMeasOut2StrobeLamp},
     kMeasOut2Value,
     kMeasOut2Offset,
     kMeasOut2AlarmText,
     {kMeasOut2ZeroSetButton, kMeasOut2TimingButton, kMeasOut2ResetButton},
     kMeasOut2HoldButton},
}};

// --- The window's other controls ---
inline constexpr int32_t kMeasImageCaptureButton = 1183;  // Image capture
inline constexpr int32_t kMeasLinkOutputsCheck = 1938;    // Link outputs
inline constexpr int32_t kMeasCloseButton = 1947;         // Close
inline constexpr int32_t kMeasLaserAButton = 1950;        // Laser head A
inline constexpr int32_t kMeasLaserBButton = 1951;        // Laser head B
inline constexpr int32_t kMeasCloseMenu = 32789;          // menu: Close
inline constexpr int32_t kMeasShowOut1Menu = 32790;       // menu: OUT1 shown
inline constexpr int32_t kMeasShowOut2Menu = 32791;       // menu: OUT2 shown

}  // namespace zul::ui
