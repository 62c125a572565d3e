// SPDX-License-Identifier: GPL-3.0-or-later
// What one `qvm8ctl read-all` costs the machine it runs on, for many stations on one PC: the
// program's context switches (each one a wake-up of one of its threads) and CPU time, against
// the emulator pacing its line at 921600 bit/s; and how much of the time between the first
// request and the last reply the wire itself takes, next to a plain single-threaded client
// that sends the same requests to the same emulator in the same run.
//
//   build/bench/bench_station_link_read_all [runs] [QVM8CTL ...]
//
// Several qvm8ctl programs may be named (for example one built before a change and one after);
// each runs `runs` times (default 5) and the medians are printed. `info` runs as well, so that
// the start-up and identification share of every figure can be told apart from the transfer.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "Simulator.h"
#include "base/ChildProcess.h"
#include "settings/ProfileFile.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int64_t kBaud = 921600;

// Bytes on the wire and the span from the first request taken in to the last reply started,
// as the emulator's server thread sees them.
class WireLog {
public:
    void Clear() {
        std::lock_guard lock(mutex_);
        bytes_ = 0;
        first_ = last_ = Clock::time_point{};
    }
    void OnTrace(std::string_view line) {
        // "<- frame" or "-> frame"; each frame goes on the wire with its carriage return.
        if (line.size() <= 3 || (line.substr(0, 3) != "<- " && line.substr(0, 3) != "-> ")) {
            return;
        }
        std::lock_guard lock(mutex_);
        bytes_ += line.size() - 3 + 1;
        auto now = Clock::now();
        if (first_ == Clock::time_point{}) {
            first_ = now;
        }
        last_ = now;
    }
    uint64_t Bytes() const {
        std::lock_guard lock(mutex_);
        return bytes_;
    }
    double SpanS() const {
        std::lock_guard lock(mutex_);
        return std::chrono::duration<double>(last_ - first_).count();
    }

private:
    mutable std::mutex mutex_;
    uint64_t bytes_ = 0;
    Clock::time_point first_;
    Clock::time_point last_;
};

struct Run {
    bool ok = false;
    double wallS = 0;    // the whole process
    double cpuS = 0;     // user + system, all threads
    long switches = 0;   // voluntary + involuntary context switches, all threads
    long voluntary = 0;  // of them: the thread waited (a wake-up follows each)
    double spanS = 0;    // first request to last reply, at the emulator
    double wireS = 0;    // the bytes exchanged at 10 bits each
};

Run RunProgram(const std::string& program, const std::vector<std::string>& words, WireLog& log,
               const std::string& folder) {
    std::vector<std::string> args = {program};
    args.insert(args.end(), words.begin(), words.end());
    log.Clear();
    Run run;
    auto start = Clock::now();
    const pid_t pid =
        zul::StartChild(args, {zul::ChildStream::Null(), zul::ChildStream::File(folder + "/stdout"),
                               zul::ChildStream::File(folder + "/stderr")});
    if (pid == 0) {
        return run;
    }
    rusage usage{};
    const int exitCode = zul::WaitForChild(pid, &usage);
    run.wallS = std::chrono::duration<double>(Clock::now() - start).count();
    run.ok = exitCode == 0;
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    run.cpuS = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.voluntary = usage.ru_nvcsw;
    run.switches = usage.ru_nvcsw + usage.ru_nivcsw;
    run.spanS = log.SpanS();
    run.wireS = static_cast<double>(log.Bytes()) * 10.0 / static_cast<double>(kBaud);
    return run;
}

// The same requests written and their replies read, one after the other, by a blocking
// single-threaded client without any of the tool's threads.
Run PlainClient(const std::string& device, const std::vector<std::string>& requests, WireLog& log) {
    Run run;
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return run;
    }
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    tcsetattr(fd, TCSANOW, &t);
    log.Clear();
    rusage before{};
    getrusage(RUSAGE_THREAD, &before);
    auto start = Clock::now();
    run.ok = true;
    for (const std::string& request : requests) {
        std::string frame = request + "\r";
        if (::write(fd, frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) {
            run.ok = false;
            break;
        }
        char buffer[4096];
        bool done = false;
        while (!done) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 2000) <= 0) {
                run.ok = false;
                break;
            }
            ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0) {
                run.ok = false;
                break;
            }
            done = std::find(buffer, buffer + n, '\r') != buffer + n;
        }
        if (!run.ok) {
            break;
        }
    }
    run.wallS = std::chrono::duration<double>(Clock::now() - start).count();
    rusage after{};
    getrusage(RUSAGE_THREAD, &after);
    auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    run.cpuS = seconds(after.ru_utime) + seconds(after.ru_stime) - seconds(before.ru_utime) -
               seconds(before.ru_stime);
    run.voluntary = after.ru_nvcsw - before.ru_nvcsw;
    run.switches = run.voluntary + after.ru_nivcsw - before.ru_nivcsw;
    ::close(fd);
    run.spanS = log.SpanS();
    run.wireS = static_cast<double>(log.Bytes()) * 10.0 / static_cast<double>(kBaud);
    return run;
}

template <class Get>
double Median(std::vector<Run> runs, Get get) {
    std::vector<double> values;
    for (const Run& r : runs) {
        values.push_back(static_cast<double>(get(r)));
    }
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

void Print(const char* label, const std::vector<Run>& runs) {
    double wire = Median(runs, [](const Run& r) { return r.wireS; });
    double span = Median(runs, [](const Run& r) { return r.spanS; });
    std::printf(
        "  %-22s switches %7.0f (voluntary %7.0f)  cpu %6.1f ms  wall %6.3f s  wire %.3f s of "
        "%.3f s: %5.1f %%\n",
        label, Median(runs, [](const Run& r) { return r.switches; }),
        Median(runs, [](const Run& r) { return r.voluntary; }),
        1000.0 * Median(runs, [](const Run& r) { return r.cpuS; }),
        Median(runs, [](const Run& r) { return r.wallS; }), wire, span,
        span > 0 ? 100.0 * wire / span : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 5;
    std::vector<std::string> programs;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (i == 1 && !arg.empty() && std::all_of(arg.begin(), arg.end(), ::isdigit)) {
            runs = std::max(1, std::atoi(arg.c_str()));
        } else {
            programs.push_back(fs::absolute(arg).string());
        }
    }
    if (programs.empty()) {
        programs.push_back(
            (fs::path(zul::ExecutablePath()).parent_path() / "../tools/ctl/qvm8ctl").string());
    }
    std::string folder = (fs::temp_directory_path() / "zul-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr) {
        return 1;
    }
    for (const char* sub : {"config", "state", "run", "cache"}) {
        fs::create_directories(folder + "/" + sub);
    }
    ::setenv("HOME", folder.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (folder + "/state").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (folder + "/run").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (folder + "/cache").c_str(), 1);

    WireLog log;
    zul::sim::Simulator sim;
    sim.SetTrace([&log](std::string_view line) { log.OnTrace(line); });
    sim.SetPace(true, kBaud);
    zul::ResultInfo info;
    const std::string link = folder + "/com1";
    if (sim.StartPty(&info, link) != zul::ZUL_OK) {
        std::fprintf(stderr, "cannot start the emulator\n");
        return 1;
    }
    std::printf("read-all against the emulator at %lld bit/s, median of %d runs\n",
                static_cast<long long>(kBaud), runs);
    int status = 0;
    const std::vector<std::string> link_words = {"--device", link, "--bcc", "--timeout", "2"};
    for (const std::string& program : programs) {
        std::printf("%s\n", program.c_str());
        std::vector<Run> infos, reads, plains;
        for (int r = 0; r < runs; ++r) {
            std::vector<std::string> words = link_words;
            words.push_back("info");
            infos.push_back(RunProgram(program, words, log, folder));
            words = link_words;
            words.insert(words.end(), {"read-all", "-o", folder + "/out.zul"});
            sim.ClearReceivedFrames();
            reads.push_back(RunProgram(program, words, log, folder));
            std::vector<std::string> requests = sim.ReceivedFrames();
            plains.push_back(PlainClient(sim.DevicePath(), requests, log));
            if (!infos.back().ok || !reads.back().ok || !plains.back().ok) {
                std::fprintf(stderr, "  run %d failed\n", r + 1);
                status = 1;
            }
        }
        Print("info", infos);
        Print("read-all", reads);
        Print("plain client, same", plains);
        double tool = Median(reads, [](const Run& x) { return x.wireS / x.spanS; });
        double plain = Median(plains, [](const Run& x) { return x.wireS / x.spanS; });
        std::printf("  read-all's share of the wire time: %.1f %% against %.1f %% (%+.1f %%)\n",
                    100.0 * tool, 100.0 * plain, 100.0 * (tool - plain) / plain);
    }
    sim.Stop();
    fs::remove_all(folder);
    return status;
}
