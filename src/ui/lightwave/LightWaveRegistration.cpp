// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/lightwave/LightWaveRegistration.h"

#include <QApplication>
#include <QDir>

#include "ui/forms/ConfigListForm.h"
#include "ui/forms/ConfigPrintForm.h"
#include "ui/forms/ControllerSettingsForm.h"
#include "ui/forms/ImageCaptureForm.h"
#include "ui/forms/VersionForm.h"
#include "ui/framework/EventWait.h"
#include "ui/lightwave/LightWaveConfForm.h"
#include "ui/lightwave/LightWaveWnd.h"
#include "ui/main/MainWindow.h"
#include "ui/main/Screenshots.h"

namespace zul::ui {

namespace {

constexpr int kScreenshotCaptures = 20;
constexpr int kCaptureWaitMs = 30000;

QImage PictureOfChild(MainWindow& main, ChildWindow kind) {
    main.OpenChild(kind);
    QWidget* form = main.Child(kind);
    QImage image = form != nullptr ? GrabWindow(form) : QImage();
    if (form != nullptr) {
        form->close();
    }
    return image;
}

}  // namespace

void RegisterLightWaveAndAuxiliaryWindows() {
    RegisterChildWindow(ChildWindow::kLightWave, [](MainWindow& main) -> QWidget* {
        return new LightWaveWnd(main.App(), &main, &main);
    });
    RegisterChildWindow(ChildWindow::kControllerSettings, [](MainWindow& main) -> QWidget* {
        return new ControllerSettingsForm(main.App(), &main, &main);
    });
    RegisterChildWindow(ChildWindow::kConfigList, [](MainWindow& main) -> QWidget* {
        return new ConfigListForm(main.App(), &main, &main);
    });
    RegisterChildWindow(ChildWindow::kVersionInfo, [](MainWindow& main) -> QWidget* {
        return new VersionForm(main.App(), &main, &main);
    });
    RegisterImageCapture([](MainWindow& main) {
        QWidget* active = QApplication::activeWindow();
        ImageCaptureForm form(main.App(), &main, &main, active != nullptr ? active : &main, &main);
        form.exec();
    });
}

void RegisterLightWaveAndAuxiliaryScreenshots(std::function<QString()> outputFolder) {
    RegisterScreenshot("lightwave.png", [](MainWindow& main) {
        main.OpenChild(ChildWindow::kLightWave);
        auto* window = qobject_cast<LightWaveWnd*>(main.Child(ChildWindow::kLightWave));
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
    RegisterScreenshot("lightwave-settings.png", [](MainWindow& main) {
        auto* window = qobject_cast<LightWaveWnd*>(main.Child(ChildWindow::kLightWave));
        if (window == nullptr || window->SettingsForm() == nullptr) {
            return QImage();
        }
        QImage image = GrabWindow(window->SettingsForm());
        window->close();
        return image;
    });
    RegisterScreenshot("config-list.png", [outputFolder](MainWindow& main) {
        main.OpenChild(ChildWindow::kConfigList);
        auto* list = qobject_cast<ConfigListForm*>(main.Child(ChildWindow::kConfigList));
        if (list == nullptr) {
            return QImage();
        }
        QImage image = GrabWindow(list);
        ConfigPrintForm print(main.App(), list->Rows(), list, list);
        print.SetDivision(ConfigDivision::kAllBanks);
        const QString pdf = QDir(outputFolder()).filePath("config-list.pdf");
        if (print.PrintToPdf(pdf) != ZUL_OK) {
            image = QImage();
        }
        list->close();
        return image;
    });
    RegisterScreenshot("image-capture.png", [](MainWindow& main) {
        ImageCaptureForm form(main.App(), &main, &main, &main, &main);
        return GrabWindow(&form);
    });
    RegisterScreenshot("controller-settings.png", [](MainWindow& main) {
        return PictureOfChild(main, ChildWindow::kControllerSettings);
    });
    RegisterScreenshot("version.png", [](MainWindow& main) {
        return PictureOfChild(main, ChildWindow::kVersionInfo);
    });
}

}  // namespace zul::ui
