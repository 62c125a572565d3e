// SPDX-License-Identifier: GPL-3.0-or-later
// Window messages the application sends to the main window of a front end.
#pragma once

#include <cstdint>

#include "link/MessageThread.h"

namespace zul {

// After a firmware version change, in this order: re-apply the UI definition records to every
// control, then re-apply the version-dependent enabling.
inline constexpr uint32_t kWmReapplyUiDefinition = kUserMessage + 300;
inline constexpr uint32_t kWmReapplyUiVersion = kUserMessage + 301;

}  // namespace zul
