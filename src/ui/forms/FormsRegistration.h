// SPDX-License-Identifier: GPL-3.0-or-later
// Makes the forms of this folder child windows of the main window (software settings: menu
// 32786; controller settings: menu 32785; configuration list: button 1770 and menu 32784;
// version information: menu 32787), registers the image capture of button 1461, and adds their
// pictures to --screenshots. Call once at start-up, before the main window is built.
#pragma once

#include <functional>

#include <QString>

namespace zul::ui {

void RegisterForms();

// Registers config-list.png, image-capture.png, controller-settings.png and version.png;
// config-list.pdf is written through the print path into outputFolder().
void RegisterFormScreenshots(std::function<QString()> outputFolder);

}  // namespace zul::ui
