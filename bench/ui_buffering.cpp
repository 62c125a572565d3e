// SPDX-License-Identifier: GPL-3.0-or-later
// The buffering window with 2 x 65000 values: (1) from the last value of a read to graphs,
// tables and statistics shown (target: under 60 ms); (2) one step of dragging a number line,
// with the statistics between the lines recomputed and the graph redrawn (target: under 16 ms).
//   QT_QPA_PLATFORM=offscreen build/bench/bench_ui_buffering [repeats]
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include <QApplication>
#include <QTableView>

#include "BenchApplication.h"
#include "app/Application.h"
#include "settings/SettingItem.h"
#include "ui/buffering/BufferingWnd.h"
#include "ui/framework/TChart.h"
#include "ui_bench_clock.h"

// The desktop program's windows and framework.
using namespace zul::ui;

namespace {

using namespace zul;
using namespace zul::bench;

void Fill(BufferingData& data) {
    std::lock_guard lock(data.mutex);
    data.header[kSlotBufferMode] = 3;
    data.header[kSlotSampleTriggerStoreNum] = 100;
    for (int o = 0; o < 2; ++o) {
        data.header[BufferingValueSet::FinalDataPoint(o)] = kMaxBufferedValues;
        std::vector<double>& values = data.outputs[size_t(o)].values;
        for (int i = 0; i < kMaxBufferedValues; ++i) {
            values[size_t(i)] =
                5.0 * std::sin(i / (700.0 + 300.0 * o)) + double((int64_t(i) * 7919) % 97) / 1000.0;
        }
        values[1000] = 999.9;  // an out-of-range mark
        data.outputs[size_t(o)].cache.Clear();
    }
}

void ShowEverything(CBufferingWnd& wnd) {
    for (int o = 0; o < 2; ++o) {
        wnd.Chart(o).RedrawNow();
        wnd.Table(o).viewport()->repaint();
    }
    wnd.BothChart().RedrawNow();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication qapp(argc, argv);
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    Application app;
    ResultInfo info;
    if (app.MutableUi().Load(WindowUiDefinition(), &info) != ZUL_OK) {
        std::fprintf(stderr, "UI definition: %s %s\n", info.detail1.c_str(), info.detail2.c_str());
        return 1;
    }
    SettingsStore& store = app.Store();
    for (int o = 0; o < 2; ++o) {
        store.SetInt<kBufWndWaveDataChange>(1, o);
        store.SetInt<kBufConfHorizontalMeasureDisp>(1, o);
        store.SetInt<kBufConfHorizontalMeasureLeft>(1000, o);
        store.SetInt<kBufConfHorizontalMeasureRight>(40000, o);
    }
    std::unique_ptr<CBufferingWnd> wnd(CBufferingWnd::Create(app, nullptr));
    wnd->resize(1200, 800);
    wnd->show();
    wnd->OpenInformation();  // the statistics are computed and shown
    QCoreApplication::processEvents();

    std::vector<Span> shown;
    for (int r = 0; r < repeats; ++r) {
        Fill(wnd->Data());
        const Stamp start = Now();
        wnd->RedrawAll();
        ShowEverything(*wnd);
        shown.push_back(Between(start, Now()));
    }
    const Span read = Median(shown);
    std::printf(
        "buffering: last value read -> graphs, tables, statistics shown (2 x %d values, "
        "%d repeats): median %.2f ms wall, %.2f ms CPU\n",
        kMaxBufferedValues, repeats, read.wallMs, read.cpuMs);

    std::vector<Span> steps;
    for (int step = 0; step < repeats * 5; ++step) {
        store.SetInt<kBufConfHorizontalMeasureLeft>(1000 + 97 * step, 0);
        const Stamp start = Now();
        wnd->ApplyMeasureLines();
        wnd->Chart(0).RedrawNow();
        steps.push_back(Between(start, Now()));
    }
    const Span drag = Median(steps);
    std::printf(
        "buffering: one measure-line step with statistics (2 x %d values, %d steps): "
        "median %.2f ms wall, %.2f ms CPU\n",
        kMaxBufferedValues, repeats * 5, drag.wallMs, drag.cpuMs);
    wnd.reset();
    return 0;
}
