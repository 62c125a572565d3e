// SPDX-License-Identifier: GPL-3.0-or-later
// CTChart: a full redraw of two series of 65000 points each on the offscreen platform.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_ui_chart [redraws]
// Prints the median redraw time in milliseconds, wall and GUI-thread CPU (target: median under
// 10 ms).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QApplication>

#include "ui/framework/TChart.h"
#include "ui_bench_clock.h"

// The desktop program's windows and framework.
using namespace zul::ui;

int main(int argc, char** argv) {
    using namespace zul::bench;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int redraws = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    constexpr int kPoints = 65000;

    zul::ui::CTChart chart;
    chart.resize(1000, 600);
    const int out1 = chart.AddSeries(Qt::red);
    const int out2 = chart.AddSeries(Qt::blue);
    std::vector<double> x(kPoints);
    std::vector<double> y1(kPoints);
    std::vector<double> y2(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        x[size_t(i)] = i;
        // Measured values with noise, as buffering data looks.
        y1[size_t(i)] = 500.0 * std::sin(i / 900.0) + double((int64_t(i) * 7919) % 97) - 48.0;
        y2[size_t(i)] = 300.0 * std::cos(i / 1300.0) + double((int64_t(i) * 104729) % 61) - 30.0;
    }
    chart.SetPoints(out1, x, y1);
    chart.SetPoints(out2, x, y2);
    chart.SetXRange(0, kPoints);
    chart.SetYRange(-950, 950);
    chart.AddMeasureLine(Qt::Vertical, 20000, Qt::darkGreen);
    chart.AddMeasureLine(Qt::Horizontal, 100, Qt::darkGreen);
    chart.show();
    chart.RedrawNow();

    std::vector<Span> spans;
    for (int i = 0; i < redraws; ++i) {
        // A slightly different view each time, so nothing of the last redraw can be reused.
        chart.SetXRange(i % 2, kPoints - (i % 3));
        const Stamp start = Now();
        chart.RedrawNow();
        spans.push_back(Between(start, Now()));
    }
    const Span median = Median(spans);
    std::printf(
        "CTChart full redraw, 2 x %d points, %dx%d, %d redraws: median %.2f ms wall, "
        "%.2f ms CPU\n",
        kPoints, chart.width(), chart.height(), redraws, median.wallMs, median.cpuMs);
    return 0;
}
