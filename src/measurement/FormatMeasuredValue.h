// SPDX-License-Identifier: GPL-3.0-or-later
// The text of a measured length as the measurement window shows it.
#pragma once

#include <cstdint>
#include <string>

#include "settings/MicronMode.h"

namespace zul {

// value in millimetres; displayDigits is the output's DispDigit code. Values beyond +-950 are
// truncated, others rounded, then written with an explicit sign in fixed point.
std::string FormatMeasuredValue(double value, int32_t displayDigits, const MicronMode& micron);

}  // namespace zul
