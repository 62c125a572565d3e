// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the measurement and buffering window benchmarks: the UI definition they load.
#pragma once

#include <string>

namespace zul::bench {

// Path of the shipped UI definition, which holds the records of both windows.
inline std::string WindowUiDefinition() {
    return std::string(QVM8_SOURCE_DATA_DIR) + "/default.frs";
}

}  // namespace zul::bench
