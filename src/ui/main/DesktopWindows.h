// SPDX-License-Identifier: GPL-3.0-or-later
// The child windows and screenshot steps of the desktop program, registered before the main
// window is built. Each part of the program that adds a window adds its registration here.
#pragma once

namespace zul::ui {

void RegisterDesktopWindows();

}  // namespace zul::ui
