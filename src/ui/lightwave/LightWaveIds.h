// SPDX-License-Identifier: GPL-3.0-or-later
// The light-wave window's numbers in one place: its window messages and the control numbers of
// its own lists and edits (records of the UI definition); the other controls are found by
// record name.
#pragma once

#include <cstdint>

#include "link/MessageThread.h"

namespace zul::ui {

// --- Window messages (kUserMessage + n) ---
// A capture came back from the light-wave thread (1037, the number the thread takes it as).
inline constexpr uint32_t kWmLightWaveReturned = kUserMessage + 13;

// --- Control numbers ---

inline constexpr int32_t kLwCtrlSpeedList = 2601;    // playback speed, entry data in 1/1000
inline constexpr int32_t kLwCtrlSlotListA = 2602;    // snapshot slot of Head A (values 0..2)
inline constexpr int32_t kLwCtrlSlotListB = 2603;    // snapshot slot of Head B
inline constexpr int32_t kLwCtrlFrameRate = 2604;    // frame-rate value on the settings form
inline constexpr int32_t kLwCtrlUpdateCycle = 1005;  // GraphUpdateCycle
inline constexpr int32_t kLwCtrlRectDisp = 1220;     // GraphRectDisp
inline constexpr int32_t kLwCtrlWorkNoDisp = 1222;   // WorkNoDisp%h

}  // namespace zul::ui
