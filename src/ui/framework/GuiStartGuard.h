// SPDX-License-Identifier: GPL-3.0-or-later
// Guards the start of the GUI framework. Qt ends the process with a fatal message when it
// cannot start at all (no usable platform plugin, no display to connect to); there is no
// platform then to show a box on. While a guard lives, such a fatal message prints the text of
// string resource 100 on stderr (after Qt's own reason) and ends the process with
// kGuiStartFailedExit instead of aborting. Nothing has been written at that point: the guard
// covers only the construction of the QApplication, before the program reads or writes any
// settings file. Other messages go to the handler that was installed before.
#pragma once

#include <QtGlobal>

namespace zul::ui {

inline constexpr int kGuiStartFailedExit = 70;

class GuiStartGuard {
public:
    GuiStartGuard();
    ~GuiStartGuard();
    GuiStartGuard(const GuiStartGuard&) = delete;
    GuiStartGuard& operator=(const GuiStartGuard&) = delete;

private:
    QtMessageHandler previous_;
};

}  // namespace zul::ui
