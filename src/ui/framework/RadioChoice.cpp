// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/RadioChoice.h"

#include "settings/UiDefinition.h"
#include "ui/framework/QtText.h"

namespace zul {

int32_t RadioValue(const UiDefinition& ui, int32_t ctrlId, int32_t position) {
    const UiControlRecord* record = ui.FindById(ctrlId);
    if (record == nullptr || record->selectValues.empty()) {
        return position;
    }
    bool ok = false;
    const int value = CaptionText(record->selectValues).toInt(&ok);
    return ok ? value : position;
}

}  // namespace zul
