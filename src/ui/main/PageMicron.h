// SPDX-License-Identifier: GPL-3.0-or-later
// Lengths in micrometre mode: a value whose record marks its unit as a length (Micron 2) is
// shown multiplied by the MicronMode factor with the MicronMode decimals while the mode is
// active, so that the number matches the micrometre unit the record then carries. The store
// always holds millimetres.
#pragma once

#include <cstdint>

namespace zul {

class Application;

}  // namespace zul

namespace zul::ui {
class CNumericEdit;
}  // namespace zul::ui

namespace zul::ui {

struct LengthScale {
    double factor = 1.0;
    int decimals = -1;  // -1: the control's own decimals
};

// The scale of the control's record (no record, or not a length, or micron mode off: 1.0).
LengthScale LengthScaleOf(const Application& app, int32_t ctrlId);

// Gives a length edit the scale's decimals and its record's range in the scale (after the
// record was applied); nothing for a scale of 1.
void ScaleEdit(CNumericEdit& edit, const LengthScale& scale);

}  // namespace zul::ui
