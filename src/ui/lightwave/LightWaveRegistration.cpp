// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/lightwave/LightWaveRegistration.h"

#include "ui/framework/EventWait.h"
#include "ui/lightwave/LightWaveConfForm.h"
#include "ui/lightwave/LightWaveWnd.h"
#include "ui/main/MainWindow.h"
#include "ui/main/Screenshots.h"

namespace zul::ui {

namespace {

constexpr int kScreenshotCaptures = 20;
constexpr int kCaptureWaitMs = 30000;

}  // namespace

void RegisterLightWaveWindow() {
    RegisterChildWindow(ChildWindow::kLightWave, [](CMainWindow& main) -> QWidget* {
        return new CLightWaveWnd(main.App(), &main, &main);
    });
}

void RegisterLightWaveScreenshots() {
    RegisterScreenshot("lightwave.png", [](CMainWindow& main) {
        main.OpenChild(ChildWindow::kLightWave);
        auto* window = qobject_cast<CLightWaveWnd*>(main.Child(ChildWindow::kLightWave));
        if (window == nullptr) {
            return QImage();
        }
        window->SetInterval(100);
        window->SetCapture(true);
        const bool captured = RunEventsUntil(
            [window] {
                return window->FrameCount() >= kScreenshotCaptures ||
                       window->State() == LightWaveCapture::kStopped;
            },
            kCaptureWaitMs);
        window->SetCapture(false);
        // One snapshot per head from an earlier frame, shown against the newest.
        window->StepTo(window->FrameCount() / 2);
        window->StoreSnapshot(0);
        window->StoreSnapshot(1);
        window->StepTo(window->FrameCount() - 1);
        QImage image =
            captured && window->FrameCount() >= kScreenshotCaptures ? GrabWindow(window) : QImage();
        window->OpenSettings();
        return image;
    });
    RegisterScreenshot("lightwave-settings.png", [](CMainWindow& main) {
        auto* window = qobject_cast<CLightWaveWnd*>(main.Child(ChildWindow::kLightWave));
        if (window == nullptr || window->SettingsForm() == nullptr) {
            return QImage();
        }
        QImage image = GrabWindow(window->SettingsForm());
        window->close();
        return image;
    });
}

}  // namespace zul::ui
