// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of the desktop program:
//   qvm8-zul [--device PATH] [--simulate] [--screenshots DIR] [FILE.zul]
//   qvm8-zul --version | --help
// Parsed without a display, so that --version and --help work anywhere.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zul::ui {

struct CommandLine {
    std::optional<std::string> device;       // the RS-232C link goes to this device for this run
    bool simulate = false;                   // emulated controller in the same process
    std::optional<std::string> screenshots;  // write the window pictures here and exit
    std::string settingsFile;                // first non-option argument
    bool version = false;
    bool help = false;
};

// False with error set for an unknown option, a missing option value, or --screenshots
// without --simulate. Qt's own options (-platform, -style, ...) are not expected here; the
// program hands Qt only its own name.
bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error);

// The usage text (program options and their meaning) for --help and usage errors.
std::string UsageText();

}  // namespace zul::ui
