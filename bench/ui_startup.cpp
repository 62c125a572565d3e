// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up of the desktop program: "qvm8-zul --simulate" on the offscreen platform, from the
// spawn to the main window shown with the event loop running (the program writes a byte on
// the descriptor named by QVM8_ZUL_SHOWN_FD then), and its resident memory at that moment.
// Targets: under 400 ms, under 120 MB. Usage: bench_ui_startup [runs] (default 10).
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/ChildProcess.h"
#include "settings/ProfileFile.h"

namespace fs = std::filesystem;

namespace {

struct Run {
    double milliseconds = -1;
    long residentKb = -1;
};

long ResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return -1;
}

Run StartOnce(const std::string& program) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return {};
    }
    const std::string fdText = std::to_string(pipeFds[1]);
    ::setenv("QVM8_ZUL_SHOWN_FD", fdText.c_str(), 1);
    std::vector<std::string> args = {program, "--simulate"};
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = zul::StartChild(
        args, {zul::ChildStream{}, zul::ChildStream{}, zul::ChildStream::Null(), {pipeFds[0]}});
    ::close(pipeFds[1]);
    Run run;
    if (pid != 0) {
        char byte = 0;
        if (::read(pipeFds[0], &byte, 1) == 1) {
            run.milliseconds =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count();
            run.residentKb = ResidentKb(pid);
        }
        ::kill(pid, SIGTERM);
        zul::WaitForChild(pid);
    }
    ::close(pipeFds[0]);
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const std::string program =
        fs::path(zul::ExecutablePath()).parent_path().string() + "/../src/ui/qvm8-zul";
    std::string home = (fs::temp_directory_path() / "zul-bench-ui-XXXXXX").string();
    if (::mkdtemp(home.data()) == nullptr || ::access(program.c_str(), X_OK) != 0) {
        std::printf("qvm8-zul not found at %s\n", program.c_str());
        return 1;
    }
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home + "/cache").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);

    StartOnce(program);  // warm the file cache
    std::vector<double> times;
    long maxKb = 0;
    for (int i = 0; i < runs; ++i) {
        const Run run = StartOnce(program);
        if (run.milliseconds < 0) {
            std::printf("run %d: the main window was not shown\n", i);
            return 1;
        }
        times.push_back(run.milliseconds);
        maxKb = std::max(maxKb, run.residentKb);
    }
    std::sort(times.begin(), times.end());
    std::printf(
        "qvm8-zul --simulate, start to main window shown (%d runs): median %.1f ms, "
        "min %.1f ms, max %.1f ms (target < 400 ms)\n",
        runs, times[times.size() / 2], times.front(), times.back());
    std::printf("resident memory when shown: max %.1f MB (target < 120 MB)\n", maxKb / 1024.0);
    std::error_code ec;
    fs::remove_all(home, ec);
    return 0;
}
