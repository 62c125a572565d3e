// SPDX-License-Identifier: GPL-3.0-or-later
// `qvm8-zul --screenshots DIR`: one PNG picture per window, page and form. Each window that
// wants its picture adds a step; the steps run in the order they were added, after the main
// window has connected to the emulated controller and read its settings.
#pragma once

#include <functional>
#include <string>

#include <QImage>
#include <QString>

#include "ui/framework/QtMessageBoxHost.h"

namespace zul::ui {

class CMainWindow;

// Produces the picture of one window (null image: the step failed). The step may open and
// close windows; message boxes are answered automatically while the steps run.
using ScreenshotStep = std::function<QImage(CMainWindow& main)>;

// Adds a step writing DIR/<fileName>. A later step with the same file name replaces it.
void RegisterScreenshot(const std::string& fileName, ScreenshotStep step);

// The steps of the main window, its transfer progress form, the software settings form and
// the splash (main.png, main-compact.png, software-settings.png, transfer-progress.png,
// splash.png).
void RegisterMainScreenshots();

// Connects, reads the controller's settings, then runs every step and writes its picture.
// Returns 0 when every picture was written; otherwise 1 with the failures on stderr.
int WriteScreenshots(CMainWindow& main, const QString& folder);

// The folder WriteScreenshots writes into (empty outside it), for steps that write files of
// their own beside their picture.
QString ScreenshotFolder();

// While it lives, nobody is expected to answer a message box: each one is printed on stderr and
// answered with No (questions) or OK, so an unattended run never waits for a click.
class UnattendedBoxes {
public:
    UnattendedBoxes();
    ~UnattendedBoxes();
    UnattendedBoxes(const UnattendedBoxes&) = delete;
    UnattendedBoxes& operator=(const UnattendedBoxes&) = delete;

private:
    MessageBoxAnswerer previous_;
};

// Grabs a top-level widget as shown (after its layout has settled).
QImage GrabWindow(QWidget* window);

}  // namespace zul::ui
