// SPDX-License-Identifier: GPL-3.0-or-later
// Makes the measurement window one of the main window's child windows (button 1010, menu
// 32781, closed message 1025) and adds its pictures to --screenshots (measurement.png,
// measurement-out1.png). Call once at start-up, before the main window is built.
#pragma once

namespace zul::ui {

void RegisterMeasurementWindow();

}  // namespace zul::ui
