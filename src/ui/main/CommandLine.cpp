// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/main/CommandLine.h"

namespace zul::ui {

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine& out, std::string& error) {
    out = CommandLine{};
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::optional<std::string>& target) {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                error = "option " + arg + " needs a value";
                return false;
            }
            target = args[++i];
            return true;
        };
        if (arg == "--device") {
            if (!value(out.device)) {
                return false;
            }
        } else if (arg == "--screenshots") {
            if (!value(out.screenshots)) {
                return false;
            }
        } else if (arg == "--simulate") {
            out.simulate = true;
        } else if (arg == "--version" || arg == "-v") {
            out.version = true;
        } else if (arg == "--help" || arg == "-h") {
            out.help = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else if (out.settingsFile.empty()) {
            out.settingsFile = arg;
        }
    }
    if (out.screenshots && !out.simulate) {
        error = "--screenshots needs --simulate";
        return false;
    }
    if (out.device && out.simulate) {
        error = "--device and --simulate exclude each other";
        return false;
    }
    return true;
}

std::string UsageText() {
    return "Usage: qvm8-zul [--device PATH] [--simulate] [--screenshots DIR] [FILE.zul]\n"
           "       qvm8-zul --version | --help\n"
           "\n"
           "  FILE.zul           settings file to work on (relative names are taken in the\n"
           "                     per-user folder); other names are ignored\n"
           "  --device PATH      RS-232C link to this serial device or pseudo-terminal for\n"
           "                     this run; the settings file is not changed\n"
           "  --simulate         run against an emulated controller inside the program, with\n"
           "                     a settings file of its own under the cache folder\n"
           "  --screenshots DIR  with --simulate: connect, write a PNG picture of every\n"
           "                     window into DIR and exit (works on the offscreen platform)\n"
           "  --version          print the program version\n"
           "  --help             print this text\n";
}

}  // namespace zul::ui
