// SPDX-License-Identifier: GPL-3.0-or-later
// What the UI definition record of a control allows: a state rule of a window (connected, a
// child window open, a picture found) may enable or show a control only where its record does
// not disable or hide it. A control without a record is allowed both. Whether it may be enabled
// is the framework's RecordAllowsEnabling (UiApplier.h).
#pragma once

#include <cstdint>

#include "settings/UiDefinition.h"
#include "ui/framework/UiApplier.h"

namespace zul::ui {

inline bool RecordAllowsShowing(const UiDefinition& ui, int32_t ctrlId) {
    const UiControlRecord* record = ui.FindById(ctrlId);
    return record == nullptr || record->visible == 0;
}

}  // namespace zul::ui
