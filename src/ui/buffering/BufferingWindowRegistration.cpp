// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/BufferingWindowRegistration.h"

#include <QComboBox>
#include <QTabWidget>

#include "app/Application.h"
#include "settings/SettingItem.h"
#include "ui/buffering/BufferingWnd.h"
#include "ui/framework/EventWait.h"
#include "ui/main/MainWindow.h"
#include "ui/main/Screenshots.h"

namespace zul::ui {

namespace {

constexpr int kRequestWaitMs = 20000;
constexpr int32_t kPictureStoreNum = 2000;

// Waits until the window has handled a request of the kind (or the time is up).
bool WaitHandled(CBufferingWnd& wnd, int kind) {
    bool seen = false;
    const QMetaObject::Connection handled = QObject::connect(
        &wnd, &CBufferingWnd::requestHandled, [&](int done, int) { seen |= done == kind; });
    RunEventsUntil([&] { return seen; }, kRequestWaitMs);
    QObject::disconnect(handled);
    return seen;
}

CBufferingWnd* Open(CMainWindow& main) {
    main.OpenChild(ChildWindow::kBuffering);
    return qobject_cast<CBufferingWnd*>(main.Child(ChildWindow::kBuffering));
}

// A self-stopping run of both outputs on the emulated controller, then a read of both.
void RunAndRead(CMainWindow& main, CBufferingWnd& wnd) {
    SettingsStore& store = main.App().Store();
    const int32_t bank = store.GetInt<kAppCurMemNo>();
    store.SetInt<kBufBufferMode>(0, bank);
    store.SetInt<kBufBufferType>(kBufferTypeBoth, bank);
    store.SetInt<kBufBufferRate>(0, bank);
    store.SetInt<kBufStoreNum>(kPictureStoreNum, bank);
    wnd.ReloadSettingsPage();  // the page shows the run's settings
    wnd.SetSelfStop(true);
    wnd.ShowTable(0, true);
    wnd.ShowTable(1, true);
    wnd.Start();
    if (wnd.IsRunning() && !WaitHandled(wnd, kMonitoringComplete)) {
        return;
    }
    wnd.Read();
    if (wnd.IsReading()) {
        WaitHandled(wnd, kReadData);
    }
}

// The window with one of its pages shown (the values of the last run), then the page shown
// before.
QImage PictureOfPage(CMainWindow& main, const char* pageName) {
    CBufferingWnd* wnd = Open(main);
    if (wnd == nullptr) {
        return QImage();
    }
    auto* tabs = wnd->findChild<QTabWidget*>("tabPages");
    const int shown = tabs->currentIndex();
    tabs->setCurrentWidget(wnd->findChild<QWidget*>(pageName));
    QImage image = GrabWindow(wnd);
    tabs->setCurrentIndex(shown);
    return image;
}

}  // namespace

void RegisterBufferingWindow() {
    RegisterChildWindow(ChildWindow::kBuffering, [](CMainWindow& main) -> QWidget* {
        return CBufferingWnd::Create(main.App(), &main);
    });
    RegisterScreenshot("buffering.png", [](CMainWindow& main) {
        CBufferingWnd* wnd = Open(main);
        if (wnd == nullptr) {
            return QImage();
        }
        RunAndRead(main, *wnd);
        return GrabWindow(wnd);
    });
    RegisterScreenshot("buffering-statistics.png",
                       [](CMainWindow& main) { return PictureOfPage(main, "pageStatistics"); });
    RegisterScreenshot("buffering-capability.png",
                       [](CMainWindow& main) { return PictureOfPage(main, "pageCapability1"); });
    RegisterScreenshot("buffering-settings.png", [](CMainWindow& main) {
        CBufferingWnd* wnd = Open(main);
        return wnd != nullptr ? GrabWindow(wnd->OpenMeasureLines()) : QImage();
    });
    RegisterScreenshot("buffering-info.png", [](CMainWindow& main) {
        CBufferingWnd* wnd = Open(main);
        if (wnd == nullptr) {
            return QImage();
        }
        QImage image = GrabWindow(wnd->OpenInformation());
        wnd->close();
        return image;
    });
}

}  // namespace zul::ui
