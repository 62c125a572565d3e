// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/measurement/MeasurementWindowRegistration.h"

#include "ui/framework/EventWait.h"
#include "ui/main/MainWindow.h"
#include "ui/main/Screenshots.h"
#include "ui/measurement/MeasurementWnd.h"

namespace zul::ui {

namespace {

constexpr int kCycleWaitMs = 5000;

// Opens the window (or finds it open) and waits for one cycle so that it shows live values.
CMeasurementWnd* OpenWithValues(CMainWindow& main, int cycles = 1) {
    main.OpenChild(ChildWindow::kMeasurement);
    auto* wnd = qobject_cast<CMeasurementWnd*>(main.Child(ChildWindow::kMeasurement));
    if (wnd == nullptr) {
        return nullptr;
    }
    int finished = 0;
    const QMetaObject::Connection counted =
        QObject::connect(wnd, &CMeasurementWnd::cycleFinished, [&finished] { ++finished; });
    RunEventsUntil([&] { return finished >= cycles; }, cycles * kCycleWaitMs);
    QObject::disconnect(counted);
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
    RegisterScreenshot("measurement-rolling.png", [](CMainWindow& main) {
        constexpr int kRollingCycles = 12;
        main.OpenChild(ChildWindow::kMeasurement);
        auto* wnd = qobject_cast<CMeasurementWnd*>(main.Child(ChildWindow::kMeasurement));
        if (wnd == nullptr) {
            return QImage();
        }
        const bool before = wnd->IsRollingShown();
        wnd->SetRollingShown(true);
        OpenWithValues(main, kRollingCycles);
        QImage image = GrabWindow(wnd);
        wnd->SetRollingShown(before);  // the user's choice is what the settings keep
        return image;
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
