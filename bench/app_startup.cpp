// SPDX-License-Identifier: GPL-3.0-or-later
// CPU time of qvm8ctl start-up: "qvm8ctl --help", and "qvm8ctl info" against the emulator
// (the whole run, so an upper bound for the CPU spent before the first frame).
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Simulator.h"
#include "base/ChildProcess.h"
#include "settings/ProfileFile.h"

namespace fs = std::filesystem;

namespace {

// CPU seconds (user + system) of one run of the program.
double CpuOfRun(const std::string& program, std::vector<std::string> args, int* exitStatus) {
    args.insert(args.begin(), program);
    const pid_t pid =
        zul::StartChild(args, {zul::ChildStream{}, zul::ChildStream::Null(), zul::ChildStream{}});
    if (pid == 0) {
        return -1;
    }
    rusage usage{};
    *exitStatus = zul::WaitForChild(pid, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main() {
    const std::string program =
        fs::path(zul::ExecutablePath()).parent_path().string() + "/../tools/ctl/qvm8ctl";
    std::string home = (fs::temp_directory_path() / "zul-bench-XXXXXX").string();
    if (::mkdtemp(home.data()) == nullptr || ::access(program.c_str(), X_OK) != 0) {
        std::printf("qvm8ctl not found at %s\n", program.c_str());
        return 1;
    }
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (home + "/state").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", home.c_str(), 1);

    zul::sim::Simulator sim;
    zul::ResultInfo info;
    if (sim.StartPty(&info, home + "/com1") != zul::ZUL_OK) {
        return 1;
    }
    constexpr int kRuns = 20;
    double helpMax = 0, helpSum = 0, infoMax = 0, infoSum = 0;
    int status = 0;
    for (int i = 0; i < kRuns; ++i) {
        double help = CpuOfRun(program, {"--help"}, &status);
        helpSum += help;
        helpMax = std::max(helpMax, help);
        double run = CpuOfRun(program, {"--device", home + "/com1", "--bcc", "info"}, &status);
        if (status != 0) {
            std::printf("info failed with %d\n", status);
            return 1;
        }
        infoSum += run;
        infoMax = std::max(infoMax, run);
    }
    std::printf("qvm8ctl --help: CPU mean %.1f ms, max %.1f ms (%d runs)\n", helpSum / kRuns * 1e3,
                helpMax * 1e3, kRuns);
    std::printf("qvm8ctl info (whole run): CPU mean %.1f ms, max %.1f ms (%d runs)\n",
                infoSum / kRuns * 1e3, infoMax * 1e3, kRuns);
    sim.Stop();
    fs::remove_all(home);
    return helpMax < 0.05 && infoMax < 0.05 ? 0 : 2;
}
