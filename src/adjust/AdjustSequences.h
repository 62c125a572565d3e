// SPDX-License-Identifier: GPL-3.0-or-later
// The scaling and calibration sequences the adjustment forms run: apply the point set (value
// commands in order, range checks, validity, execute; the cancel command on any failure), take
// the current measured value into a point, and the word write that opens a calibration.
#pragma once

#include <cstdint>

#include "adjust/AdjustPoints.h"
#include "base/ResultInfo.h"
#include "link/CommGate.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"

namespace zul {

enum class AdjustKind {
    kScaling,      // analog output scaling of an output (index 0/1)
    kCalibration,  // calibration of a head (index 0/1)
};

// Target digits: heads 1 and 2, outputs 3 and 4.
constexpr int32_t HeadTarget(int32_t head) {
    return head + 1;
}
constexpr int32_t OutputTarget(int32_t output) {
    return output + 3;
}

// Puts each present value of the points into the store (the memory bank in use, CurMemNo of
// ZUL_APP_DATA), checks its range (ZUL_ERR_RANGE stops before its command) and sends it; then, for
// a valid set, the execute command. On any failure the cancel command is posted and the failure
// returned; an invalid set is ZUL_ERR_BAD_SCALING or ZUL_ERR_BAD_CALIB after the values were sent.
// A caller that ends right afterwards (and would take the link down before a posted command
// leaves) sets waitForCancel, so that the cancel has been answered when the function returns.
int32_t ApplyAdjustment(CommGate& gate, SettingsStore& store, const UiDefinition& ui,
                        AdjustKind kind, int32_t index, const AdjustPoints& points,
                        ResultInfo* result, bool waitForCancel = false);

// Reads the current measured value ("%EE#RMD", target index + 3) into the store's measure
// value of point (0 or 1) and *value. A value out of range is ZUL_ERR_SCALING_ALARM or
// ZUL_ERR_CALIB_ALARM (the store keeps it, *value does not get it).
int32_t TakeCurrentValue(CommGate& gate, SettingsStore& store, const UiDefinition& ui,
                         AdjustKind kind, int32_t index, int32_t point, double* value,
                         ResultInfo* result);

// Posts the cancel command of the adjustment (value 2), without waiting.
void CancelAdjustment(CommGate& gate, AdjustKind kind, int32_t index);

// Writes 1 into word 2619 (Head A) or 2719 (Head B), which the calibration form needs first.
int32_t OpenCalibration(CommGate& gate, int32_t head, ResultInfo* result);

// The point set of the output's scaling or the head's calibration in the current bank.
AdjustPoints StoredAdjustPoints(const SettingsStore& store, AdjustKind kind, int32_t index);
// Stores all four values (for the OK of a form).
void StoreAdjustPoints(SettingsStore& store, AdjustKind kind, int32_t index,
                       const AdjustPoints& points);

}  // namespace zul
