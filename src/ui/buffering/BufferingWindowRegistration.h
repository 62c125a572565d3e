// SPDX-License-Identifier: GPL-3.0-or-later
// Makes the buffering window one of the main window's child windows (button 1012, menu 32782,
// closed message 1027) and adds its pictures to --screenshots (buffering.png after a run and a
// read of both outputs, buffering-settings.png, buffering-info.png). Call once at start-up,
// before the main window is built.
#pragma once

namespace zul::ui {

void RegisterBufferingWindow();

}  // namespace zul::ui
