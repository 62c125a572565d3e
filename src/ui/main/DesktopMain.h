// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program from its command line to its exit code: the program's own options are
// read before Qt starts (--version and --help work without a display), then the GUI framework
// starts (string resource 100 on stderr and exit code kGuiStartFailedExit when it cannot), then
// the program runs until its main window closes or SIGINT/SIGTERM asks it to end (open boxes and
// dialogs are closed, a running transfer is cancelled, then the normal shutdown runs).
#pragma once

#include <functional>

namespace zul::ui {

class DesktopProgram;

// Called once the program has started, before it runs (the GUI tests script a child run).
using ProgramStarted = std::function<void(DesktopProgram& program)>;

int RunDesktopProgram(int argc, char** argv, const ProgramStarted& started = {});

// The names the running program gives itself towards Qt and the desktop (called once the
// QApplication exists).
void SetApplicationIdentity();

}  // namespace zul::ui
