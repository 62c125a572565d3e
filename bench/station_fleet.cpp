// SPDX-License-Identifier: GPL-3.0-or-later
// Many stations on one PC: N qvm8-station processes (default 16) against N emulated controllers
// (in this process, each on its own pseudo-terminal paced at the line speed the station sets)
// and one mosquitto broker, at the default 500 ms cycle, with one subscriber (mosquitto_sub) on
// every station's measure topic. Reported over the measuring window:
//   - the stations' CPU time in total and per station, and their wake-ups (context switches);
//     the broker's and the emulators' CPU beside them;
//   - the measure messages per second in total and the slowest and fastest station's rate
//     against its cycle rate, and any seq missing;
//   - the latency from the emulator's reply that ends a cycle to the subscriber's receipt of
//     that cycle's message (median, 99th percentile, maximum).
//
//   build/bench/bench_station_fleet [--unpaced] [STATIONS [SECONDS [QVM8_STATION]]]
//
// The default program is ../tools/station/qvm8-station beside this benchmark's folder.
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "Simulator.h"
#include "base/ChildProcess.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int64_t RealtimeNs() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

// A child process; its standard output and error go to a pipe this process reads line by line.
class Child {
public:
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (reader_.joinable()) {
            reader_.join();
        }
    }
    bool Spawn(std::vector<std::string> args, std::function<void(const std::string&)> onLine) {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC) != 0) {
            return false;
        }
        pid_ =
            zul::StartChild(args, {zul::ChildStream::Null(), zul::ChildStream::Descriptor(pipe[1]),
                                   zul::ChildStream::Descriptor(pipe[1])});
        ::close(pipe[1]);
        if (pid_ == 0) {
            ::close(pipe[0]);
            pid_ = -1;
            return false;
        }
        reader_ = std::thread([fd = pipe[0], onLine = std::move(onLine)] {
            std::string pending;
            char buffer[65536];
            for (;;) {
                ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n <= 0) {
                    break;
                }
                pending.append(buffer, static_cast<size_t>(n));
                size_t end = 0;
                while ((end = pending.find('\n')) != std::string::npos) {
                    onLine(pending.substr(0, end));
                    pending.erase(0, end + 1);
                }
            }
            ::close(fd);
        });
        return true;
    }
    pid_t Pid() const { return pid_; }
    // SIGTERM and the exit status (128 + the signal when it was killed).
    int Stop() {
        if (pid_ <= 0) {
            return -1;
        }
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        if (reader_.joinable()) {
            reader_.join();
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    pid_t pid_ = -1;
    std::thread reader_;
};

// CPU seconds (all threads) and context switches of a process, from /proc.
struct ProcUsage {
    double cpuS = 0;
    long switches = 0;
};

ProcUsage UsageOf(pid_t pid) {
    ProcUsage usage;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    size_t close = text.rfind(')');
    if (close != std::string::npos) {
        std::istringstream fields(text.substr(close + 2));
        std::string field;
        long ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i == 14 || i == 15) {  // utime, stime
                ticks += std::atol(field.c_str());
            }
        }
        usage.cpuS = static_cast<double>(ticks) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }
    std::error_code ec;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream status(task.path() / "status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) {
                usage.switches += std::atol(line.c_str() + line.find(':') + 1);
            }
        }
    }
    return usage;
}

int FreePort() {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(fd);
    return port;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    size_t index = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

// What the subscriber received, and the emulators' cycle-ending replies.
struct Observations {
    std::mutex mutex;
    std::condition_variable changed;
    // Per station: receipt time of each seq (index seq - 1), 0 where none arrived.
    std::vector<std::vector<int64_t>> received;
    // Per station: realtime of the reply to each cycle's last request.
    std::vector<std::vector<int64_t>> replies;
    bool brokerRunning = false;
};

}  // namespace

int main(int argc, char** argv) {
    // --unpaced: the emulators answer as fast as the pseudo-terminal takes it (a reply arrives
    // in one piece, as from a USB bridge that hands on at the carriage return), instead of one
    // character at a time at the line speed.
    bool paced = true;
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--unpaced") {
            paced = false;
        } else {
            args.emplace_back(argv[i]);
        }
    }
    const int stations = args.size() > 0 ? std::atoi(args[0].c_str()) : 16;
    const int seconds = args.size() > 1 ? std::atoi(args[1].c_str()) : 30;
    std::string program = args.size() > 2 ? args[2] : std::string();
    if (program.empty()) {
        program = (fs::canonical("/proc/self/exe").parent_path().parent_path() / "tools" /
                   "station" / "qvm8-station")
                      .string();
    }
    if (stations < 1 || seconds < 1 || !fs::exists(program)) {
        std::fprintf(
            stderr, "usage: bench_station_fleet [--unpaced] [STATIONS [SECONDS [QVM8_STATION]]]\n");
        return 64;
    }
    std::string root = (fs::temp_directory_path() / "zul-fleet-XXXXXX").string();
    if (::mkdtemp(root.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    for (const char* sub : {"config", "state", "run", "cache"}) {
        fs::create_directories(root + "/" + sub);
    }
    ::setenv("HOME", root.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (root + "/state").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", (root + "/run").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (root + "/cache").c_str(), 1);

    Observations seen;
    seen.received.resize(static_cast<size_t>(stations));
    seen.replies.resize(static_cast<size_t>(stations));

    // The broker.
    const int port = FreePort();
    {
        std::ofstream config(root + "/mosquitto.conf");
        config << "listener " << port << " 127.0.0.1\nallow_anonymous true\n"
               << (::geteuid() == 0 ? "user root\n" : "") << "log_dest stderr\n";
    }
    Child broker;
    broker.Spawn({"/usr/sbin/mosquitto", "-c", root + "/mosquitto.conf"},
                 [&seen](const std::string& line) {
                     if (line.find(" running") != std::string::npos) {
                         std::lock_guard lock(seen.mutex);
                         seen.brokerRunning = true;
                         seen.changed.notify_all();
                     }
                 });
    {
        std::unique_lock lock(seen.mutex);
        if (!seen.changed.wait_for(lock, std::chrono::seconds(10),
                                   [&] { return seen.brokerRunning; })) {
            std::fprintf(stderr, "mosquitto did not start\n");
            return 1;
        }
    }

    // The subscriber: receipt time, topic and seq of every measure message.
    Child subscriber;
    subscriber.Spawn({"/usr/bin/mosquitto_sub", "-h", "127.0.0.1", "-p", std::to_string(port), "-t",
                      "qvm8/+/measure", "-F", "%U %t %p"},
                     [&seen](const std::string& line) {
                         // "1470818943.786368637 qvm8/st7/measure {"seq": 12, ...}"
                         const int64_t at = RealtimeNs();
                         size_t topic = line.find(" qvm8/st");
                         size_t seq = line.find("\"seq\": ");
                         if (topic == std::string::npos || seq == std::string::npos) {
                             return;
                         }
                         const size_t station = std::strtoul(line.c_str() + topic + 8, nullptr, 10);
                         const size_t number = std::strtoul(line.c_str() + seq + 7, nullptr, 10);
                         // The stamp mosquitto_sub printed is when it took the message in.
                         const int64_t stamped =
                             static_cast<int64_t>(std::strtod(line.c_str(), nullptr) * 1e9);
                         std::lock_guard lock(seen.mutex);
                         if (station < seen.received.size() && number >= 1) {
                             auto& list = seen.received[station];
                             if (list.size() < number) {
                                 list.resize(number, 0);
                             }
                             list[number - 1] = stamped > 0 ? stamped : at;
                             seen.changed.notify_all();
                         }
                     });

    // The controllers: paced at the station's line speed; each cycle ends with "%EE#ROA4".
    std::vector<std::unique_ptr<zul::sim::Simulator>> sims;
    for (int k = 0; k < stations; ++k) {
        auto sim = std::make_unique<zul::sim::Simulator>();
        sim->SetPace(paced);
        sim->SetFixedDisplacement(0, 1.0 + 0.01 * k);
        auto lastWasCycleEnd = std::make_shared<bool>(false);
        sim->SetTrace([&seen, k, lastWasCycleEnd](std::string_view line) {
            if (line.rfind("<- ", 0) == 0) {
                *lastWasCycleEnd = line.find("%EE#ROA4") != std::string_view::npos;
            } else if (line.rfind("-> ", 0) == 0 && *lastWasCycleEnd) {
                *lastWasCycleEnd = false;
                const int64_t at = RealtimeNs();
                std::lock_guard lock(seen.mutex);
                seen.replies[static_cast<size_t>(k)].push_back(at);
            }
        });
        zul::ResultInfo info;
        if (sim->StartPty(&info, root + "/com" + std::to_string(k)) != zul::ZUL_OK) {
            std::fprintf(stderr, "emulator %d: %s\n", k, info.detail1.c_str());
            return 1;
        }
        sims.push_back(std::move(sim));
    }

    // The stations, at the default cycle, 115200 bit/s.
    std::vector<std::unique_ptr<Child>> children;
    std::atomic<int> failures{0};
    for (int k = 0; k < stations; ++k) {
        auto child = std::make_unique<Child>();
        const std::string id = "st" + std::to_string(k);
        if (!child->Spawn({program, "--broker", "127.0.0.1:" + std::to_string(port), "--id", id,
                           "--device", root + "/com" + std::to_string(k), "--bcc", "--baud", "3",
                           "--state", root + "/state/" + id},
                          [&failures, id](const std::string& line) {
                              if (line.find("cannot") != std::string::npos ||
                                  line.find("lost") != std::string::npos ||
                                  line.find("longer than") != std::string::npos) {
                                  ++failures;
                                  std::fprintf(stderr, "%s\n", line.c_str());
                              }
                          })) {
            std::fprintf(stderr, "cannot start %s\n", program.c_str());
            return 1;
        }
        children.push_back(std::move(child));
    }

    // Warm-up: every station has published a few cycles.
    {
        std::unique_lock lock(seen.mutex);
        if (!seen.changed.wait_for(lock, std::chrono::seconds(60), [&] {
                for (const auto& list : seen.received) {
                    if (list.size() < 4) {
                        return false;
                    }
                }
                return true;
            })) {
            std::fprintf(stderr, "not every station published within 60 s\n");
            return 1;
        }
    }

    // The window.
    std::vector<size_t> firstSeq(static_cast<size_t>(stations));
    std::vector<ProcUsage> before(static_cast<size_t>(stations));
    {
        std::lock_guard lock(seen.mutex);
        for (int k = 0; k < stations; ++k) {
            firstSeq[static_cast<size_t>(k)] = seen.received[static_cast<size_t>(k)].size() + 1;
        }
    }
    for (int k = 0; k < stations; ++k) {
        before[static_cast<size_t>(k)] = UsageOf(children[static_cast<size_t>(k)]->Pid());
    }
    const ProcUsage brokerBefore = UsageOf(broker.Pid());
    const ProcUsage selfBefore = UsageOf(::getpid());
    const auto start = Clock::now();
    {
        // Nothing to wait for but the end of the window.
        std::unique_lock lock(seen.mutex);
        seen.changed.wait_until(lock, start + std::chrono::seconds(seconds), [] { return false; });
    }
    const double window = std::chrono::duration<double>(Clock::now() - start).count();
    std::vector<size_t> lastSeq(static_cast<size_t>(stations));
    {
        std::lock_guard lock(seen.mutex);
        for (int k = 0; k < stations; ++k) {
            lastSeq[static_cast<size_t>(k)] = seen.received[static_cast<size_t>(k)].size();
        }
    }
    double stationCpu = 0;
    long stationSwitches = 0;
    double maxStationCpu = 0;
    for (int k = 0; k < stations; ++k) {
        ProcUsage after = UsageOf(children[static_cast<size_t>(k)]->Pid());
        const double cpu = after.cpuS - before[static_cast<size_t>(k)].cpuS;
        stationCpu += cpu;
        maxStationCpu = std::max(maxStationCpu, cpu);
        stationSwitches += after.switches - before[static_cast<size_t>(k)].switches;
    }
    const ProcUsage brokerAfter = UsageOf(broker.Pid());
    const ProcUsage selfAfter = UsageOf(::getpid());

    int stopFailures = 0;
    for (auto& child : children) {
        stopFailures += child->Stop() != 0 ? 1 : 0;
    }
    for (auto& sim : sims) {
        sim->Stop();
    }
    subscriber.Stop();
    broker.Stop();

    // Rates, gaps and latencies of the cycles published in the window.
    std::vector<double> latencyMs;
    size_t messages = 0;
    size_t missing = 0;
    double slowest = 1e9;
    double fastest = 0;
    {
        std::lock_guard lock(seen.mutex);
        for (int k = 0; k < stations; ++k) {
            const auto& got = seen.received[static_cast<size_t>(k)];
            const auto& replies = seen.replies[static_cast<size_t>(k)];
            size_t count = 0;
            for (size_t seq = firstSeq[static_cast<size_t>(k)];
                 seq <= lastSeq[static_cast<size_t>(k)]; ++seq) {
                const int64_t at = got[seq - 1];
                if (at == 0) {
                    ++missing;
                    continue;
                }
                ++count;
                if (seq <= replies.size()) {
                    latencyMs.push_back(static_cast<double>(at - replies[seq - 1]) / 1e6);
                }
            }
            messages += count;
            const double rate = static_cast<double>(count) / window;
            slowest = std::min(slowest, rate);
            fastest = std::max(fastest, rate);
        }
    }
    std::printf("%d stations, 500 ms cycle, 115200 bit/s %s lines, %.1f s window\n", stations,
                paced ? "paced" : "unpaced", window);
    std::printf(
        "  stations' CPU: %.3f s in total = %.1f %% of one core (%.2f %% per station, "
        "busiest %.2f %%)\n",
        stationCpu, 100.0 * stationCpu / window, 100.0 * stationCpu / window / stations,
        100.0 * maxStationCpu / window);
    std::printf("  stations' wake-ups: %.0f per second in total (%.0f per station)\n",
                static_cast<double>(stationSwitches) / window,
                static_cast<double>(stationSwitches) / window / stations);
    std::printf("  broker CPU %.1f %%, emulators and this benchmark %.1f %% of one core\n",
                100.0 * (brokerAfter.cpuS - brokerBefore.cpuS) / window,
                100.0 * (selfAfter.cpuS - selfBefore.cpuS) / window);
    std::printf(
        "  measure messages: %.1f per second in total; per station %.2f to %.2f per "
        "second (cycle rate 2.00); %zu seq missing\n",
        static_cast<double>(messages) / window, slowest, fastest, missing);
    std::printf(
        "  latency, emulator's reply to subscriber: median %.2f ms, 99th percentile "
        "%.2f ms, maximum %.2f ms (%zu messages)\n",
        Percentile(latencyMs, 0.5), Percentile(latencyMs, 0.99), Percentile(latencyMs, 1.0),
        latencyMs.size());
    if (failures > 0 || stopFailures > 0) {
        std::printf("  %d warning lines from the stations, %d stations did not stop cleanly\n",
                    failures.load(), stopFailures);
    }
    std::error_code ec;
    fs::remove_all(root, ec);
    return failures > 0 || stopFailures > 0 || missing > 0 ? 1 : 0;
}
