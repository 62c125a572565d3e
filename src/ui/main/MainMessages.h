// SPDX-License-Identifier: GPL-3.0-or-later
// Window messages the main window accepts (besides the link-lost message 1057 of the link and
// the two re-apply notifications of the application).
#pragma once

#include <cstdint>

#include "link/MessageThread.h"

namespace zul::ui {

// 1025..1031: a child window closed (1025 + ChildWindow index).
inline constexpr uint32_t kWmChildClosedFirst = kUserMessage + 1;
inline constexpr uint32_t kWmChildClosedLast = kUserMessage + 7;
// 1040: draw the output pictures again (a page changed a setting they show).
inline constexpr uint32_t kWmRedrawPictures = kUserMessage + 16;
// 1058: activate the main window.
inline constexpr uint32_t kWmActivateMain = kUserMessage + 34;

}  // namespace zul::ui
