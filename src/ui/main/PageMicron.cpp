// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/PageMicron.h"

#include "app/Application.h"
#include "settings/UiDefinition.h"
#include "ui/framework/NumericEdit.h"

namespace zul::ui {

LengthScale LengthScaleOf(const Application& app, int32_t ctrlId) {
    const MicronMode& micron = app.Micron();
    const UiControlRecord* record = app.Ui().FindById(ctrlId);
    if (!micron.active || record == nullptr || record->micron != 2) {
        return {};
    }
    return {micron.factor, micron.decimals};
}

void ScaleEdit(CNumericEdit& edit, const LengthScale& scale) {
    if (scale.decimals < 0) {
        return;
    }
    // The record's range is in millimetres; the edit holds micrometres.
    edit.SetDecimals(scale.decimals);
    if (edit.HasRange()) {
        edit.SetRange(edit.Minimum() * scale.factor, edit.Maximum() * scale.factor);
    }
}

}  // namespace zul::ui
