// SPDX-License-Identifier: GPL-3.0-or-later
// The light-wave window and the configuration list against the emulator paced at 921600 bit/s:
//   QT_QPA_PLATFORM=offscreen build/bench/bench_ui_lightwave [seconds of capture]
// Prints: the median time to draw one new frame of both heads with three snapshots each
// (target under 2 ms; the snapshots and axes stay as drawn, and for comparison the time with
// everything redrawn), the GUI thread's CPU share during repeated capture (target under 10 %
// of one core), and the time to fill the configuration list of 16 banks (target under 50 ms).
#include <cstdio>
#include <cstdlib>

#include <QApplication>
#include <QComboBox>

#include "AcqBenchRig.h"
#include "ui/forms/ConfigListForm.h"
#include "ui/framework/EventWait.h"
#include "ui/framework/TChart.h"
#include "ui/lightwave/LightWaveWnd.h"
#include "ui_bench_clock.h"

// The desktop program's windows and framework.
using namespace zul::ui;

int main(int argc, char** argv) {
    using namespace zul;
    using namespace zul::bench;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication qt(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    AcqBenchRig rig(921600);
    if (!rig.ok) {
        return 1;
    }
    {
        ui::CLightWaveWnd window(rig.app, nullptr, nullptr);
        window.resize(1200, 700);
        window.show();
        window.SetInterval(100);

        // GUI thread CPU while capturing repeatedly.
        window.SetCapture(true);
        RunEventsUntil([&] { return window.FrameCount() >= 2; }, 30000);
        const Stamp start = Now();
        const int before = window.FrameCount();
        RunEventsUntil([] { return false; }, seconds * 1000);
        const Span capture = Between(start, Now());
        const int captured = window.FrameCount() - before;
        window.SetCapture(false);
        std::printf(
            "repeated capture, %d s: %d captures, GUI thread CPU %.1f ms = %.2f %% of one core\n",
            seconds, captured, capture.cpuMs, 100.0 * capture.cpuMs / capture.wallMs);

        // Three snapshots per head from three frames, then new frames drawn with them.
        const int frames = window.FrameCount();
        for (int slot = 0; slot < 3 && slot < frames; ++slot) {
            window.StepTo(slot);
            for (int head = 0; head < 2; ++head) {
                window.SlotList(head)->setCurrentIndex(slot);
                window.StoreSnapshot(head);
            }
        }
        std::vector<Span> spans;
        std::vector<Span> updates;
        for (int i = 0; i < 200; ++i) {
            const Stamp from = Now();
            window.StepTo(i % frames);
            const Stamp updated = Now();
            window.Chart(0)->RedrawNow();
            window.Chart(1)->RedrawNow();
            spans.push_back(Between(from, Now()));
            updates.push_back(Between(from, updated));
        }
        // The same with every series and both axes drawn again, as after a change of the axis
        // range, of a snapshot or of the window size.
        std::vector<Span> fulls;
        for (int i = 0; i < 100; ++i) {
            const Stamp from = Now();
            window.StepTo(i % frames);
            for (int head = 0; head < 2; ++head) {
                window.Chart(head)->Replot();
                window.Chart(head)->RedrawNow();
            }
            fulls.push_back(Between(from, Now()));
        }
        const Span full = Median(fulls);
        const Span draw = Median(spans);
        const Span update = Median(updates);
        std::printf(
            "one frame of both heads with 3 snapshots each: median %.3f ms wall, %.3f ms CPU "
            "(series and labels %.3f ms CPU, the rest painting)\n",
            draw.wallMs, draw.cpuMs, update.cpuMs);
        std::printf("the same with everything redrawn: median %.3f ms wall, %.3f ms CPU\n",
                    full.wallMs, full.cpuMs);
    }
    {
        std::vector<Span> spans;
        for (int i = 0; i < 10; ++i) {
            const Stamp from = Now();
            ui::CConfigListForm list(rig.app, nullptr, nullptr);
            // Every cell's text, as printing all banks asks for them.
            const ui::ConfigListRows& rows = list.Rows();
            size_t characters = 0;
            for (size_t row = 0; row < rows.Rows().size(); ++row) {
                for (int column = 0; column < ui::ConfigListRows::kColumns; ++column) {
                    characters +=
                        static_cast<size_t>(rows.Text(static_cast<int>(row), column).size());
                }
            }
            spans.push_back(Between(from, Now()));
            if (i == 0) {
                std::printf("configuration list: %zu rows, %zu characters\n", rows.Rows().size(),
                            characters);
            }
        }
        const Span fill = Median(spans);
        std::printf("configuration list of 16 banks filled: median %.2f ms wall, %.2f ms CPU\n",
                    fill.wallMs, fill.cpuMs);
    }
    return 0;
}
