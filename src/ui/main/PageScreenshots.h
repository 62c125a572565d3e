// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the five settings pages and of the forms they open, for `--screenshots`: each
// entry names its file and grabs its picture from the main window (which hosts the pages in its
// tab control 1620) and the application.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QImage>

class QWidget;

namespace zul {
class Application;
}

namespace zul::ui {

struct PageScreenshot {
    std::string fileName;
    std::function<QImage(QWidget& mainWindow, Application& app)> grab;
};

// main-head-a.png, main-head-b.png, main-out1.png, main-out2.png, main-common.png (the main
// window with that tab selected), scaling.png, calibration.png, floodlight.png and
// output-options.png (each form shown without running anything). A null image: the picture
// could not be taken.
std::vector<PageScreenshot> PageScreenshots();

}  // namespace zul::ui
