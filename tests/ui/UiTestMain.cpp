// SPDX-License-Identifier: GPL-3.0-or-later
// The GUI tests' main: one QApplication on the offscreen platform for every test. With
// QVM8_UI_TEST_RUN_PROGRAM set, the binary runs the desktop program's start-up instead (tests
// start it as a child process to see how the program starts on a given platform); with
// QVM8_UI_TEST_SCRIPT also set, the started program first plays a short script of user actions
// and writes "open" on stdout once a box or form the script opened is showing:
//   question  connect, then ask to save the memory bank (a Yes/No box stays open)
//   transfer  connect, let the emulated controller go quiet, then write all settings (the
//             progress form stays open)
#include <gtest/gtest.h>

#include <cstdio>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "Simulator.h"
#include "ui/framework/UiApplier.h"
#include "ui/main/DesktopMain.h"
#include "ui/main/DesktopProgram.h"
#include "ui/main/MainControls.h"
#include "ui/main/MainWindow.h"
#include "ui/main/SimulatedSession.h"

namespace {

void Say(const char* word) {
    std::printf("%s\n", word);
    std::fflush(stdout);
}

bool Click(zul::ui::CMainWindow& main, int ctrlId) {
    auto* button = zul::ui::FindControl<QAbstractButton>(&main, ctrlId);
    if (button == nullptr || !button->isEnabled()) {
        return false;
    }
    button->click();
    return true;
}

void PlayScript(zul::ui::DesktopProgram& program, const QByteArray& script) {
    zul::ui::CMainWindow* main = program.Main();
    if (main == nullptr || !Click(*main, zul::ui::kMainConnectButton) || main->LineState() != 1) {
        Say("not-connected");
        return;
    }
    if (script == "question") {
        // Runs in the box's own loop, once the box shows.
        QTimer::singleShot(0, [] {
            Say(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr
                    ? "open"
                    : "no-box");
        });
        Click(*main, zul::ui::kMainSaveMemoryButton);
    } else if (script == "transfer" && program.Simulation() != nullptr) {
        zul::sim::SimFaults faults;
        faults.quiet = true;
        program.Simulation()->Simulator().SetFaults(faults);
        QObject::connect(main, &zul::ui::CMainWindow::TransferStarted, main, [] { Say("open"); });
        Click(*main, zul::ui::kMainWriteSettingsButton);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet("QVM8_UI_TEST_RUN_PROGRAM")) {
        const QByteArray script = qgetenv("QVM8_UI_TEST_SCRIPT");
        if (script.isEmpty()) {
            return zul::ui::RunDesktopProgram(argc, argv);
        }
        return zul::ui::RunDesktopProgram(argc, argv, [script](zul::ui::DesktopProgram& program) {
            QTimer::singleShot(0, [&program, script] { PlayScript(program, script); });
        });
    }
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
