// SPDX-License-Identifier: GPL-3.0-or-later
// The adjustment forms' numbers in one place: their window messages.
#pragma once

#include <cstdint>

#include "link/MessageThread.h"

namespace zul::ui {

// --- Window messages (kUserMessage + n) ---
// A progress poll of the flood-light search has ended (1038).
inline constexpr uint32_t kWmFloodLightPollDone = kUserMessage + 14;

}  // namespace zul::ui
