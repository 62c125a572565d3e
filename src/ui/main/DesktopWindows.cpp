// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/DesktopWindows.h"

#include "ui/buffering/BufferingWindowRegistration.h"
#include "ui/forms/FormsRegistration.h"
#include "ui/lightwave/LightWaveRegistration.h"
#include "ui/main/MainWindow.h"
#include "ui/main/PageScreenshots.h"
#include "ui/main/Screenshots.h"
#include "ui/measurement/MeasurementWindowRegistration.h"

namespace zul::ui {

void RegisterDesktopWindows() {
    // The main window's pictures come first, while no child window is open.
    RegisterMainScreenshots();
    RegisterForms();
    RegisterMeasurementWindow();
    RegisterBufferingWindow();
    RegisterLightWaveWindow();

    for (PageScreenshot& shot : PageScreenshots()) {
        RegisterScreenshot(shot.fileName, [grab = shot.grab](CMainWindow& main) {
            return grab(main, main.App());
        });
    }
    RegisterLightWaveScreenshots();
    RegisterFormScreenshots([] { return ScreenshotFolder(); });
}

}  // namespace zul::ui
