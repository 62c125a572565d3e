// SPDX-License-Identifier: GPL-3.0-or-later
// The buffering window's numbers in one place: its window messages and the control numbers
// (UI definition records) of its settings page and status line.
#pragma once

#include <cstdint>

#include "link/MessageThread.h"
#include "settings/UiDefinition.h"

namespace zul::ui {

// --- Window messages (kUserMessage + n) ---
// A BufferingRequest came back from the buffering thread.
inline constexpr uint32_t kWmBufferingReturned = kUserMessage + 30;

// --- Timers ---
inline constexpr int kBufferingStateLoopMs = 500;  // the state display loop
inline constexpr int kBufferingProgressMs = 100;   // the progress of a read

// --- Control numbers of the settings page ---
inline constexpr int32_t kBufferModeList = kBufferModeRecordId;  // 1272, also the status line
inline constexpr int32_t kBufferTypeList = 1274;                 // also the status line
inline constexpr int32_t kBufferRateList = 1085;
inline constexpr int32_t kStoreNumEdit = 1280;
inline constexpr int32_t kSampleTriggerStoreNumEdit = 1867;
inline constexpr int32_t kTriggerPointEdit = 1282;
inline constexpr int32_t kTriggerDelayEdit = 2023;
inline constexpr int32_t kEventConditionList = 1284;  // the list of either output
// The output titles appended to the captions of the two trigger-condition lists.
inline constexpr int32_t kOut1TitleRecord = 1184;
inline constexpr int32_t kOut2TitleRecord = 1185;

}  // namespace zul::ui
