// SPDX-License-Identifier: GPL-3.0-or-later
// CGridCtrl: filled with 65000 rows (number, value, state; red text for some values, green
// background for alternate runs of rows), scrolled to the last row and painted, on the
// offscreen platform.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_ui_grid [runs]
// Prints the medians in milliseconds, wall and GUI-thread CPU (target: under 20 ms), for
// virtual mode (cells formatted when shown) and for stored cells (every text formatted first).
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QApplication>
#include <QImage>

#include "ui/framework/GridCtrl.h"
#include "ui_bench_clock.h"

// The desktop program's windows and framework.
using namespace zul::ui;

int main(int argc, char** argv) {
    using namespace zul::bench;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    constexpr int kRows = 65000;

    zul::ui::CGridCtrl grid;
    grid.resize(600, 800);
    grid.show();
    QApplication::processEvents();
    // Painted into one image, as into a window's backing store.
    QImage screen(grid.size(), QImage::Format_ARGB32_Premultiplied);
    auto paint = [&grid, &screen] { grid.render(&screen); };

    // The values behind the table, as a window holds them.
    std::vector<double> values(kRows);
    for (int row = 0; row < kRows; ++row) {
        values[size_t(row)] = row * 0.001;
    }

    std::vector<Span> virtualMode;
    std::vector<Span> stored;
    std::vector<Span> storedFill;
    zul::ui::CGridModel& model = grid.Model();
    for (int run = 0; run < runs; ++run) {
        // Virtual mode: the cells are formatted only when shown.
        Stamp start = Now();
        zul::ui::GridVirtualCells cells;
        cells.text = [&values, run](int row, int column) {
            switch (column) {
                case 0:
                    return QString::number(row + 1);
                case 1:
                    return QString::number(values[size_t(row)] + run, 'f', 3);
                default:
                    return QString();
            }
        };
        cells.textColor = [](int row, int column) {
            return column == 1 && row % 500 == 0 ? QColor(Qt::red) : QColor();
        };
        cells.background = [](int row, int column) {
            return column == 2 && (row / 100) % 2 == 1 ? QColor(Qt::green) : QColor();
        };
        model.SetVirtual(kRows, 3, std::move(cells));
        grid.ScrollToRow(kRows - 1);
        paint();
        virtualMode.push_back(Between(start, Now()));
        grid.scrollToTop();

        // Stored cells: every text formatted and kept.
        start = Now();
        model.BeginUpdate();
        model.SetSize(0, 0);
        model.SetSize(kRows, 3);
        for (int row = 0; row < kRows; ++row) {
            model.SetCellText(row, 0, QString::number(row + 1));
            model.SetCellText(row, 1, QString::number(values[size_t(row)] + run, 'f', 3));
            if (row % 500 == 0) {
                model.SetCellTextColor(row, 1, Qt::red);
            }
            if ((row / 100) % 2 == 1) {
                model.SetCellBackground(row, 2, Qt::green);
            }
        }
        model.EndUpdate();
        storedFill.push_back(Between(start, Now()));
        grid.ScrollToRow(kRows - 1);
        paint();
        stored.push_back(Between(start, Now()));
        grid.scrollToTop();
    }
    const Span v = Median(virtualMode);
    const Span s = Median(stored);
    const Span f = Median(storedFill);
    std::printf(
        "CGridCtrl %d rows, %d runs, fill + scroll to end + paint, median wall / CPU:\n"
        "  virtual mode %.2f / %.2f ms\n"
        "  stored cells %.2f / %.2f ms (of which the fill %.2f / %.2f ms)\n",
        kRows, runs, v.wallMs, v.cpuMs, s.wallMs, s.cpuMs, f.wallMs, f.cpuMs);
    return 0;
}
