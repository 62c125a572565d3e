// SPDX-License-Identifier: GPL-3.0-or-later
// The buffering commands that run synchronously on the caller's thread: whether buffering is
// running, writing the buffering settings of a memory bank and starting, reading the settings
// back, and stopping.
#pragma once

#include <cstdint>

#include "base/ResultInfo.h"
#include "link/CommGate.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"

namespace zul {

// The buffering settings as the controller holds them.
struct BufferingSettings {
    int32_t bufferMode = 0;
    int32_t bufferType = 0;
    int32_t bufferRate = 0;
    int32_t bufferSelfStop = 0;
    int32_t storeNum = 0;
    int32_t sampleTriggerStoreNum = 0;
    int32_t triggerPoint = 0;
    int32_t triggerDelay = 0;
    int32_t eventCondition[2] = {0, 0};
};

// "%EE#RBS": *running is set when the controller buffers.
int32_t CheckBufferingRunning(CommGate& gate, bool* running, ResultInfo* result);

// Refuses with ZUL_ERR_BUFFERING_BUSY while buffering runs; then checks and writes each setting
// of the bank (ZUL_ERR_RANGE for a value out of range, before its command), the ones the
// firmware does not support left out, and starts buffering. Stops at the first failure.
int32_t WriteBufferingSettingsAndStart(CommGate& gate, SettingsStore& store, const UiDefinition& ui,
                                       uint32_t firmwareVersion, int32_t bank, ResultInfo* result);

// Refuses with ZUL_ERR_BUFFERING_BUSY while buffering runs; then reads every setting the
// firmware supports into *out (the others keep their values). Stops at the first failure.
int32_t ReadBufferingSettings(CommGate& gate, SettingsStore& store, const UiDefinition& ui,
                              uint32_t firmwareVersion, BufferingSettings* out, ResultInfo* result);

// Stores settings read by ReadBufferingSettings into the bank.
void StoreBufferingSettings(SettingsStore& store, int32_t bank, const BufferingSettings& values);

// "%EE#WBS0" with 0.
int32_t StopBuffering(CommGate& gate, ResultInfo* result);

}  // namespace zul
