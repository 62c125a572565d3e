// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement window: (1) one display refresh as after a finished cycle, repaint included
// (target: under 1 ms); (2) the GUI thread's CPU while the window polls the emulated controller
// every 100 ms (target: under 5 % of one core).
//   QT_QPA_PLATFORM=offscreen build/bench/bench_ui_measurement [refreshes] [poll seconds]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QApplication>
#include <QTimer>

#include "AcqBenchRig.h"
#include "BenchApplication.h"
#include "app/Application.h"
#include "settings/SettingItem.h"
#include "ui/measurement/MeasurementWnd.h"
#include "ui_bench_clock.h"

// The desktop program's windows and framework.
using namespace zul::ui;

namespace {

using namespace zul;
using namespace zul::bench;

void BenchRefresh(int refreshes) {
    Application app;
    ResultInfo info;
    if (app.MutableUi().Load(WindowUiDefinition(), &info) != ZUL_OK) {
        std::fprintf(stderr, "UI definition: %s %s\n", info.detail1.c_str(), info.detail2.c_str());
        return;
    }
    SettingsStore& store = app.Store();
    store.SetInt<kCtrlLineState>(1);
    CMeasurementWnd wnd(app, nullptr);
    wnd.show();
    QCoreApplication::processEvents();
    std::vector<Span> spans;
    for (int i = 0; i < refreshes; ++i) {
        // A new snapshot as a cycle leaves it: values and states change.
        store.SetDouble<kMeasMeasureValue>(1.0 + 0.001 * i, 0);
        store.SetDouble<kMeasMeasureValue>(-2.0 + 0.002 * i, 1);
        store.SetInt<kMeasHiState>(i % 2, 0);
        store.SetInt<kMeasGoState>((i + 1) % 2, 1);
        store.SetInt<kMeasAlarmCode>(i % 3, 0);
        const Stamp start = Now();
        wnd.RefreshDisplay();
        wnd.repaint();
        spans.push_back(Between(start, Now()));
    }
    const Span median = Median(spans);
    std::printf(
        "measurement window refresh + repaint, %d refreshes: median %.3f ms wall, "
        "%.3f ms CPU\n",
        refreshes, median.wallMs, median.cpuMs);
}

void BenchPolling(int seconds) {
    AcqBenchRig rig(921600);
    if (!rig.ok) {
        return;
    }
    rig.app.Store().SetInt<kSoftMeasureCycle>(1);
    CMeasurementWnd wnd(rig.app, nullptr);
    wnd.show();
    const Stamp start = Now();
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    const Span span = Between(start, Now());
    std::printf(
        "measurement window polling at 100 ms for %d s: %d cycles, GUI thread CPU "
        "%.2f %% of one core (%.1f ms CPU in %.0f ms)\n",
        seconds, wnd.CyclesCompleted(), 100.0 * span.cpuMs / span.wallMs, span.cpuMs, span.wallMs);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int refreshes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    BenchRefresh(refreshes);
    BenchPolling(seconds);
    return 0;
}
