// SPDX-License-Identifier: GPL-3.0-or-later
// Switching memory banks in the main window with all five settings pages filled: from the
// selection in the bank selector to the new bank's values shown (the pages take their edits into
// the old bank, show the new one, the output pictures are drawn again, and the event loop
// paints what changed).
// Target: under 15 ms. Every bank holds different values in every page, so each switch changes
// what the pages show.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_ui_bank_switch [switches] (default 400)
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTabWidget>

#include "BenchApplication.h"
#include "app/Application.h"
#include "settings/SettingItem.h"
#include "ui/framework/QtWindowSink.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/MainControls.h"
#include "ui/main/MainWindow.h"
#include "ui_bench_clock.h"

// The desktop program's windows and framework.
using namespace zul::ui;

namespace {

using namespace zul;
using namespace zul::bench;

// Values that differ from bank to bank on each of the five pages.
void FillBanks(SettingsStore& store) {
    for (int32_t bank = 0; bank < kBankCount; ++bank) {
        for (int32_t head = 0; head < 2; ++head) {
            store.SetInt<kHeadSetupMode>(bank % 2, bank, head);
            store.SetInt<kHeadPeakLevel>(100 + bank, bank, head);
            store.SetInt<kHeadAlarmDelayTimes>(bank, bank, head);
            store.SetInt<kHeadMeasureWorkBasis>((bank + head) % 2, bank, head);
            store.SetDouble<kHeadCALIB_MeasureValue1>(0.5 * bank, bank, head);
        }
        for (int32_t out = 0; out < 2; ++out) {
            store.SetInt<kOutOutPattern>((bank + out) % 12, bank, out);
            store.SetInt<kOutMeasureWork>(bank % 15, bank, out);
            store.SetInt<kOutFilterSelect>(bank % 3, bank, out);
            store.SetDouble<kOutDecisionMax>(1.0 + bank, bank, out);
            store.SetDouble<kOutDecisionMin>(-1.0 - bank, bank, out);
            store.SetDouble<kOutOffsetInput>(0.25 * bank, bank, out);
            store.SetDouble<kOutSCALING_VoltageValue1>(0.125 * bank, bank, out);
        }
        store.SetInt<kCommonSamplingCycle>(bank % 4, bank);
        store.SetInt<kCommonAlarmOutChange>(bank % 2, bank);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication qt(argc, argv);
    const int switches = argc > 1 ? std::max(16, std::atoi(argv[1])) : 400;

    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / "qvm8-bench-bank-switch";
    std::filesystem::create_directories(home);
    QtWindowSink sink;
    Application app;
    ApplicationOptions options = BenchApplicationOptions(home.string());
    options.window = &sink;
    ResultInfo info;
    if (app.Startup(options, &info) != ZUL_OK) {
        std::fprintf(stderr, "start-up failed: %s\n", app.StartupFailureText().c_str());
        return 1;
    }
    // The pictures the program draws at build time, as the installed program finds them.
    const QString images =
        QDir(QCoreApplication::applicationDirPath() + "/../src/ui/image").absolutePath();
    if (QDir(images).exists()) {
        app.Store().SetText<kAppImageFolder>(images.toStdString());
    } else {
        std::fprintf(stderr, "note: no pictures at %s; switches draw none\n",
                     images.toLocal8Bit().constData());
    }
    FillBanks(app.Store());

    int status = 0;
    {
        ui::CMainWindow main(app, sink);
        main.show();
        QCoreApplication::processEvents();
        auto* selector = FindControl<QComboBox>(&main, kMainMemoryBankList);
        auto* tabs = FindControl<QTabWidget>(&main, kMainSettingsPages);
        if (selector == nullptr || tabs == nullptr || selector->count() < kBankCount) {
            std::fprintf(stderr, "main window without its bank selector or pages\n");
            return 1;
        }
        auto* peakA = FindControl<QLineEdit>(tabs->widget(0), kHeadPeakLevelEdit);
        std::vector<Span> spans;
        std::vector<Span> switchOnly;
        std::vector<Span> fullRepaint;
        int wrong = 0;
        for (int i = 0; i < switches; ++i) {
            // Every page in turn is the one on screen.
            tabs->setCurrentIndex(i % 5);
            QCoreApplication::processEvents();
            const int bank = (selector->currentIndex() + 1 + i % 7) % kBankCount;
            const Stamp start = Now();
            selector->setCurrentIndex(bank);
            switchOnly.push_back(Between(start, Now()));
            // What the event loop does next: paints the parts of the window that changed.
            QCoreApplication::processEvents();
            spans.push_back(Between(start, Now()));
            // The bound: the whole window painted again.
            const Stamp repaintStart = Now();
            main.repaint();
            const Span repaint = Between(repaintStart, Now());
            fullRepaint.push_back({switchOnly.back().wallMs + repaint.wallMs,
                                   switchOnly.back().cpuMs + repaint.cpuMs});
            if (peakA != nullptr && peakA->text() != QString::number(100 + bank)) {
                ++wrong;
            }
        }
        std::sort(spans.begin(), spans.end(),
                  [](const Span& a, const Span& b) { return a.wallMs < b.wallMs; });
        const Span median = Median(spans);
        std::printf(
            "bank switch with five filled pages, %d switches: median %.3f ms wall (%.3f ms CPU), "
            "90th percentile %.3f ms, max %.3f ms wall; target under 15 ms\n",
            switches, median.wallMs, median.cpuMs, spans[spans.size() * 9 / 10].wallMs,
            spans.back().wallMs);
        const Span logic = Median(switchOnly);
        std::printf("  of which the switch before painting: median %.3f ms wall (%.3f ms CPU)\n",
                    logic.wallMs, logic.cpuMs);
        const Span full = Median(fullRepaint);
        std::printf("  switch with the whole window repainted: median %.3f ms wall (%.3f ms CPU)\n",
                    full.wallMs, full.cpuMs);
        if (wrong != 0) {
            std::printf("ERROR: %d switches did not show the new bank's values\n", wrong);
            status = 1;
        }
    }
    app.Shutdown();
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return status;
}
