// SPDX-License-Identifier: GPL-3.0-or-later
// The settings transfers as the application runs them: on a private copy of the main store,
// with the main store updated only after a successful read.
#pragma once

#include <cstdint>
#include <memory>

#include "base/ResultInfo.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsTransfer.h"

namespace zul {

class Application;

// Read all: on success the main store takes the values read and ZUL_APP_DATA CurMemNo becomes
// the controller's current bank; on failure the main store is untouched.
// Write all: the source (the main store when null) is written with ZUL_APP_DATA CurMemNo as the
// controller's bank; after a successful write the main store's controller CurMemNo is that
// bank, and nothing else is copied back. A failed write leaves the main store untouched.
// Read system / write system: the main store with source's system block (when given) is the
// private copy; after a successful read the main store takes the system block read.
// The transfer object is handed to observe (when set) before it runs, so that a caller may
// cancel it from another thread. progress may be empty.
// The same steps for a caller that runs the transfer itself (for example on a worker thread
// behind a progress window): MakeSettingsTransfer prepares the private copy as
// RunSettingsTransfer does (the main store must not change until the transfer has ended), and
// ApplySettingsTransfer takes over its result into the main store after a successful run.
// Null when no controller thread runs (result then holds ZUL_ERR_OFFLINE).
std::unique_ptr<SettingsTransfer> MakeSettingsTransfer(Application& app,
                                                       TransferOperation operation,
                                                       ResultInfo* result,
                                                       const SettingsStore* source = nullptr);
void ApplySettingsTransfer(Application& app, SettingsTransfer& transfer);

int32_t RunSettingsTransfer(Application& app, TransferOperation operation, ResultInfo* result,
                            const TransferProgressFn& progress = {},
                            const SettingsStore* source = nullptr,
                            const std::function<void(SettingsTransfer*)>& observe = {});

// Reads every setting the controller keeps without touching the main store: the read-all
// operation (the 16 banks and the system word of the register map), then, unless banksOnly, the
// read-system operation, each on a private copy that starts as the main store. into receives
// the values read. progress runs from 0 to 100 over both reads; observe as above.
int32_t ReadControllerSettings(Application& app, SettingsStore& into, bool banksOnly,
                               ResultInfo* result, const TransferProgressFn& progress = {},
                               const std::function<void(SettingsTransfer*)>& observe = {});

// The share of the progress bar the bank read takes when the system settings follow it.
inline constexpr int32_t kBankReadShare = 90;

}  // namespace zul
