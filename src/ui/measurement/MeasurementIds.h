// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement window's numbers in one place: its window messages and its timer.
#pragma once

#include <cstdint>

#include "link/MessageThread.h"

namespace zul {

// --- Window messages (kUserMessage + n) ---
// A measurement cycle came back from the measurement thread (1038).
inline constexpr uint32_t kWmMeasurementCycleDone = kUserMessage + 14;

// --- Timers ---
inline constexpr int kMeasurementTimerMs = 100;  // counts up to MeasureCycle

}  // namespace zul
