// SPDX-License-Identifier: GPL-3.0-or-later
// qvm8-zul: the desktop program.
#include "ui/main/DesktopMain.h"

int main(int argc, char** argv) {
    return zul::ui::RunDesktopProgram(argc, argv);
}
