// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/RadioChoice.h"

#include "settings/UiDefinition.h"
#include "ui/framework/QtText.h"

namespace zul::ui {

int32_t RadioValue(const UiControlRecord& record, int32_t fallback) {
    bool ok = false;
    const int value = CaptionText(record.selectValues).trimmed().toInt(&ok);
    return ok ? value : fallback;
}

int32_t RadioValue(const UiDefinition& ui, int32_t ctrlId, int32_t position) {
    const UiControlRecord* record = ui.FindById(ctrlId);
    return record != nullptr ? RadioValue(*record, position) : position;
}

}  // namespace zul::ui
