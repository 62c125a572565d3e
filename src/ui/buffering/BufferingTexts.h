// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of the buffering window that come from the UI definition: comma-separated caption lists
// and the status line.
#pragma once

#include <cstdint>
#include <optional>

#include <QStringList>

#include "buffering/BufferingValueSet.h"

namespace zul {

class UiDefinition;

}  // namespace zul

namespace zul::ui {

// The captions of the record named name as a list (empty when there is no such record).
QStringList RecordCaptions(const UiDefinition& ui, const char* name);

// How far a read has come: values read of the values to read.
struct ReadProgress {
    int64_t done = 0;
    int64_t total = 0;
};

// The status line: "name: value" items for the mode, the outputs, the sampling-trigger count
// and each output's state, final data point and trigger count, then the read's progress while
// one runs. The blanks inside an item do not break, so the line wraps between items only.
QString BufferingStatusText(const UiDefinition& ui, const BufferingValueSet& status,
                            const std::optional<ReadProgress>& progress);

}  // namespace zul::ui
