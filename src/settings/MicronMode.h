// SPDX-License-Identifier: GPL-3.0-or-later
// The micrometre display option: when active, lengths are shown multiplied by the factor, with
// the given decimals and unit text.
#pragma once

#include <cstdint>
#include <string>

namespace zul {

struct MicronMode {
    bool active = false;
    double factor = 1.0;
    std::string unit = "mm";
    int32_t decimals = 6;
};

}  // namespace zul
