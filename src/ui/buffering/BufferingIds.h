// SPDX-License-Identifier: GPL-3.0-or-later
// The buffering window's numbers in one place: its window messages, its timers and the control
// numbers (UI definition records Buffering_*) of its settings page, its status line and its
// measure-line form.
#pragma once

#include <cstdint>

#include <QLatin1Char>
#include <QObject>

#include "link/MessageThread.h"
#include "settings/UiDefinition.h"
#include "ui/framework/UiApplier.h"

namespace zul::ui {

// --- Window messages (kUserMessage + n) ---
// A BufferingRequest came back from the buffering thread.
inline constexpr uint32_t kWmBufferingReturned = kUserMessage + 30;

// --- Timers ---
inline constexpr int kBufferingStateLoopMs = 500;  // the state display loop
inline constexpr int kBufferingProgressMs = 100;   // the progress of a read

// --- Controls of the settings page ---
// Buffering mode (1272); its words also make the status line.
inline constexpr int32_t kBufBufferModeList = kBufferModeRecordId;
inline constexpr int32_t kBufBufferTypeList = 1274;  // outputs buffered, also the status line
inline constexpr int32_t kBufBufferRateList = 1085;
inline constexpr int32_t kBufStoreNumEdit = 1280;               // number of values
inline constexpr int32_t kBufSampleTriggerStoreNumEdit = 1867;  // values per sampling trigger
inline constexpr int32_t kBufTriggerPointEdit = 1282;
inline constexpr int32_t kBufTriggerDelayEdit = 2023;
inline constexpr int32_t kBufEventConditionList = 1284;  // trigger condition, one per output

// --- Controls of the measure-line form (one per output) ---
inline constexpr int32_t kBufVerticalMeasureDispCheck = 1290;    // value lines shown
inline constexpr int32_t kBufVerticalMeasureTopEdit = 1292;      // upper value line
inline constexpr int32_t kBufVerticalMeasureBottomEdit = 1294;   // lower value line
inline constexpr int32_t kBufHorizontalMeasureDispCheck = 1655;  // number lines shown
inline constexpr int32_t kBufHorizontalMeasureLeftEdit = 1296;   // left number line
inline constexpr int32_t kBufHorizontalMeasureRightEdit = 1019;  // right number line

// --- Records whose captions title the per-output controls ---
inline constexpr int32_t kBufOut1TitleRecord = 1184;  // "OUT1" of the measurement window
inline constexpr int32_t kBufOut2TitleRecord = 1185;  // "OUT2"

// The control numbered ctrlId of output (0 or 1) below root. OUT2's copy of a per-output
// control shares the record of OUT1's and is named "ctrl<number>b".
template <class T = QWidget>
T* FindOutputControl(const QObject* root, int32_t ctrlId, int output) {
    if (output == 0 || root == nullptr) {
        return FindControl<T>(root, ctrlId);
    }
    return root->findChild<T*>(ControlObjectName(ctrlId) + QLatin1Char('b'));
}

}  // namespace zul::ui
