// SPDX-License-Identifier: GPL-3.0-or-later
// Registration of the light-wave window and the auxiliary forms with the main window: the
// child windows of buttons 1011 and 1770 and menus 32788, 32784, 32785 and 32787, the image
// capture of button 1461, and their --screenshots steps.
#pragma once

#include <functional>

#include <QString>

namespace zul::ui {

// Registers the child-window factories (light wave, controller settings, configuration list,
// version information) and the image capture runner.
void RegisterLightWaveAndAuxiliaryWindows();

// Registers lightwave.png (at least 20 captures from the controller, one snapshot shown per
// head), lightwave-settings.png, config-list.png, image-capture.png, controller-settings.png
// and version.png; config-list.pdf is written through the print path into outputFolder().
void RegisterLightWaveAndAuxiliaryScreenshots(std::function<QString()> outputFolder);

}  // namespace zul::ui
