// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/measurement/MeasurementWindowRegistration.h"

#include <QEventLoop>
#include <QTimer>

#include "ui/main/MainWindow.h"
#include "ui/main/Screenshots.h"
#include "ui/measurement/MeasurementWnd.h"

namespace zul::ui {

namespace {

constexpr int kCycleWaitMs = 5000;

// Opens the window (or finds it open) and waits for one cycle so that it shows live values.
CMeasurementWnd* OpenWithValues(CMainWindow& main) {
    main.OpenChild(ChildWindow::kMeasurement);
    auto* wnd = qobject_cast<CMeasurementWnd*>(main.Child(ChildWindow::kMeasurement));
    if (wnd == nullptr) {
        return nullptr;
    }
    QEventLoop loop;
    QObject::connect(wnd, &CMeasurementWnd::cycleFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kCycleWaitMs, &loop, &QEventLoop::quit);
    loop.exec();
    return wnd;
}

}  // namespace

void RegisterMeasurementWindow() {
    RegisterChildWindow(ChildWindow::kMeasurement, [](CMainWindow& main) -> QWidget* {
        auto* wnd = new CMeasurementWnd(main.App(), &main);
        wnd->SetImageCaptureHook([&main] { main.RunImageCapture(); });
        return wnd;
    });
    RegisterScreenshot("measurement.png", [](CMainWindow& main) {
        CMeasurementWnd* wnd = OpenWithValues(main);
        return GrabWindow(wnd);
    });
    RegisterScreenshot("measurement-out1.png", [](CMainWindow& main) {
        CMeasurementWnd* wnd = OpenWithValues(main);
        if (wnd == nullptr) {
            return QImage();
        }
        const OutputsShown before = wnd->Shown();
        if (before.out2) {
            if (!before.out1) {
                wnd->ToggleOutputShown(0);
            }
            wnd->ToggleOutputShown(1);
        }
        QImage image = GrabWindow(wnd);
        if (before.out2) {
            wnd->ToggleOutputShown(1);  // the user's choice is what FormMode keeps
        }
        wnd->close();
        return image;
    });
}

}  // namespace zul::ui
