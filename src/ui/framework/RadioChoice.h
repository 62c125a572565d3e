// SPDX-License-Identifier: GPL-3.0-or-later
// Radio buttons that stand for the values of one setting: each radio's record names its value
// in SelectVal.
#pragma once

#include <cstdint>

namespace zul {

class UiDefinition;
struct UiControlRecord;

}  // namespace zul

namespace zul::ui {

// The value the radio's record selects (its first SelectVal), or position when the record is
// missing or names no number.
int32_t RadioValue(const UiDefinition& ui, int32_t ctrlId, int32_t position);

// The value a radio button's own record stands for: its single SelectVal (quotes and blanks
// around it allowed); fallback when the record gives none.
int32_t RadioValue(const UiControlRecord& record, int32_t fallback);

}  // namespace zul::ui
