// SPDX-License-Identifier: GPL-3.0-or-later
// Makes the light-wave window one of the main window's child windows (button 1011, menu 32788)
// and adds its pictures to --screenshots. Call once at start-up, before the main window is built.
#pragma once

namespace zul::ui {

void RegisterLightWaveWindow();

// Registers lightwave.png (at least 20 captures from the controller, one snapshot shown per
// head) and lightwave-settings.png (the settings form the first step leaves open).
void RegisterLightWaveScreenshots();

}  // namespace zul::ui
