// SPDX-License-Identifier: GPL-3.0-or-later
// The capability views of one output with 65000 values on the offscreen platform: a redraw of
// the histogram, a redraw of the I-MR chart, and a whole update of the panel (selection of the
// values, every figure, the table, both views and their redraw), each against a full redraw of
// the buffering chart with 2 x 65000 points in the same run.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_ui_capability_views [redraws]
// Prints medians in milliseconds (wall and GUI-thread CPU) and the ratios to the chart redraw
// (target: each view redraw under 10 ms).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include <QApplication>

#include "settings/UiDefinition.h"
#include "ui/buffering/CapabilityPanel.h"
#include "ui/buffering/ControlChartView.h"
#include "ui/buffering/HistogramView.h"
#include "ui/framework/TChart.h"
#include "ui_bench_clock.h"

// The desktop program's windows and framework.
using namespace zul::ui;

namespace {

constexpr int kPoints = 65000;

// A slow drift with noise in whole micrometres, as buffered values look.
std::vector<double> MakeValues(int output) {
    std::vector<double> values(kPoints);
    uint32_t noise = 4242u + uint32_t(output);
    for (int i = 0; i < kPoints; ++i) {
        noise = noise * 1103515245u + 12345u;
        values[size_t(i)] =
            1.25 + 0.004 * std::sin(i / 3000.0) + double((noise >> 16) % 200) * 1e-5;
    }
    return values;
}

zul::bench::Span Measure(int redraws, const std::function<void(int)>& step) {
    std::vector<zul::bench::Span> spans;
    for (int i = 0; i < redraws; ++i) {
        const zul::bench::Stamp start = zul::bench::Now();
        step(i);
        spans.push_back(zul::bench::Between(start, zul::bench::Now()));
    }
    return zul::bench::Median(spans);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zul::bench;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int redraws = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    zul::UiDefinition ui;
    if (ui.Load(zul::UiDefinition::DefaultPath()) != zul::ZUL_OK) {
        std::fprintf(stderr, "default.frs not found\n");
        return 1;
    }
    const std::vector<double> out1 = MakeValues(0);
    const std::vector<double> out2 = MakeValues(1);

    // The reference: the buffering chart's full redraw of both outputs.
    zul::ui::CTChart chart;
    chart.resize(1000, 600);
    std::vector<double> x(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        x[size_t(i)] = i + 1;
    }
    chart.SetPoints(chart.AddSeries(Qt::red), x, out1);
    chart.SetPoints(chart.AddSeries(Qt::blue), x, out2);
    chart.SetXRange(1, kPoints);
    chart.SetYRange(-950, 950);
    chart.show();
    chart.RedrawNow();

    zul::ui::CCapabilityPanel panel(ui, 0);
    panel.resize(1400, 900);
    panel.SetLimits({1.24, 1.26});
    panel.show();
    panel.SetValues(out1);
    panel.Histogram().RedrawNow();
    panel.ControlChart().RedrawNow();

    const Span full = Measure(redraws, [&](int i) {
        // A slightly different view each time, so nothing of the last redraw can be reused.
        chart.SetXRange(1 + i % 2, kPoints - (i % 3));
        chart.RedrawNow();
    });
    const Span histogram = Measure(redraws, [&](int) { panel.Histogram().RedrawNow(); });
    const Span imr = Measure(redraws, [&](int) { panel.ControlChart().RedrawNow(); });
    const Span update = Measure(redraws, [&](int i) {
        panel.SetValues(i % 2 ? out2 : out1);
        panel.Histogram().RedrawNow();
        panel.ControlChart().RedrawNow();
    });

    std::printf("%d values, %d redraws each, medians (wall / GUI-thread CPU):\n", kPoints, redraws);
    std::printf("  buffering chart full redraw, 2 x %d points: %.2f / %.2f ms\n", kPoints,
                full.wallMs, full.cpuMs);
    auto line = [&full](const char* what, const Span& span) {
        std::printf("  %-44s %.2f / %.2f ms, ratio %.2f / %.2f\n", what, span.wallMs, span.cpuMs,
                    span.wallMs / full.wallMs, span.cpuMs / full.cpuMs);
    };
    line("histogram redraw:", histogram);
    line("I-MR chart redraw:", imr);
    line("panel update (figures, table, both views):", update);
    std::printf("  histogram %d bars, %d rule violations\n", panel.Histogram().BarCount(),
                int(panel.Result().figures.violations.size()));
    return 0;
}
