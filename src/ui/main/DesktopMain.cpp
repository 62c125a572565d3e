// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/DesktopMain.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QApplication>
#include <QTimer>

#include "app/Version.h"
#include "ui/framework/GuiStartGuard.h"
#include "ui/main/CommandLine.h"
#include "ui/main/DesktopProgram.h"

namespace zul::ui {

int RunDesktopProgram(int argc, char** argv, const ProgramStarted& started) {
    // The program's own options are read before Qt starts, so that --version and --help work
    // without a display.
    std::vector<std::string> args(argv + 1, argv + argc);
    CommandLine commandLine;
    std::string error;
    if (!ParseCommandLine(args, commandLine, error)) {
        std::fprintf(stderr, "qvm8-zul: %s\n%s", error.c_str(), UsageText().c_str());
        return 64;
    }
    if (commandLine.help) {
        std::printf("%s", UsageText().c_str());
        return 0;
    }
    if (commandLine.version) {
        std::printf("qvm8-zul %s\n", kVersionText);
        return 0;
    }
    // Pictures need no display: without one, --screenshots draws on the offscreen platform.
    if (commandLine.screenshots && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    // Without a usable platform Qt cannot start; the guard then prints string resource 100 and
    // ends the process before any settings file is touched.
    std::optional<GuiStartGuard> guard(std::in_place);
    QApplication application(qtArgc, qtArgv);
    guard.reset();
    SetApplicationIdentity();
    QApplication::setQuitOnLastWindowClosed(false);

    // SIGINT and SIGTERM end the program in its normal order, from the start on (a box of the
    // start-up is closed as well): see TerminationRequest.
    DesktopProgram program(std::move(commandLine));
    if (program.Start() != 0) {
        return 1;
    }
    if (started) {
        started(program);
    }
    // For the start-up benchmark: a byte on this descriptor once the main window is shown and
    // the event loop runs.
    if (const int fd = qEnvironmentVariableIntValue("QVM8_ZUL_SHOWN_FD"); fd > 2) {
        QTimer::singleShot(0, [fd] {
            const char shown = '1';
            (void)!::write(fd, &shown, 1);
            ::close(fd);
        });
    }
    return program.Run();
}

void SetApplicationIdentity() {
    // No display name of its own: the window system would append it to every window title
    // that does not already end with it ("A.zul [folder] — QV-M8 ZuL"), and each window's
    // title is its caption alone.
    QApplication::setApplicationName(QStringLiteral("qvm8-zul"));
}

}  // namespace zul::ui
