// SPDX-License-Identifier: GPL-3.0-or-later
// qvm8-sim: an emulated QV-M8 controller on a pseudo-terminal or a serial device.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "Simulator.h"

namespace {

constexpr char kUsage[] =
    "usage: qvm8-sim [options]\n"
    "  --link PATH        create a symbolic link PATH to the pseudo-terminal\n"
    "  --device DEV       serve the serial device DEV instead of a pseudo-terminal\n"
    "  --bcc | --no-bcc   check the block check of requests (default) or not\n"
    "  --firmware HEX     firmware version word, for example 0224 (version 2.24)\n"
    "  --latency-ms N     processing time per request\n"
    "  --pace             send and take in at the line speed the client set\n"
    "  --baud N           with --pace: use this speed instead\n"
    "  --state FILE       keep the word memory in FILE across runs\n"
    "  --restart-ms N     how long the controller does not answer while it restarts\n"
    "  --fixed-a MM, --fixed-b MM   fixed displacement of a head's target\n"
    "  --trace            print every frame\n"
    "faults:\n"
    "  --bad-bcc N        corrupt the block check of the next N replies\n"
    "  --noise N          put noise bytes before the next N replies\n"
    "  --wrong-echo N     answer the next N requests with another mnemonic\n"
    "  --silent N         do not answer the next N requests\n"
    "  --quiet-after N    answer N more requests, then none (the line stays open)\n"
    "  --delay N:MS       hold the next N replies back by MS milliseconds\n"
    "  --split BYTES:MS   send every reply in chunks of BYTES with MS pauses\n"
    "  --hangup N:MS      drop the line after N requests, come back after MS\n";

std::optional<long> Number(std::string_view text, int base = 10) {
    std::string s(text);
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(s.c_str(), &end, base);
    if (s.empty() || errno != 0 || *end != '\0' || value < 0) {
        return std::nullopt;
    }
    return value;
}

bool Pair(std::string_view text, int* a, int* b) {
    size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        return false;
    }
    auto x = Number(text.substr(0, colon));
    auto y = Number(text.substr(colon + 1));
    if (!x || !y) {
        return false;
    }
    *a = static_cast<int>(*x);
    *b = static_cast<int>(*y);
    return true;
}

int Fail(const std::string& message) {
    std::cerr << "qvm8-sim: " << message << "\n" << kUsage;
    return 64;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace zul;
    sim::Simulator simulator;
    sim::SimFaults faults;
    std::string link;
    std::string device;
    std::string state;
    bool trace = false;
    std::optional<long> firmware;

    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= argc) {
                return std::nullopt;
            }
            return std::string_view(argv[++i]);
        };
        auto count = [&](int* target) {
            auto v = value();
            auto n = v ? Number(*v) : std::nullopt;
            if (!n) {
                return false;
            }
            *target = static_cast<int>(*n);
            return true;
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--link") {
            auto v = value();
            if (!v) {
                return Fail("--link needs a path");
            }
            link = *v;
        } else if (arg == "--device") {
            auto v = value();
            if (!v) {
                return Fail("--device needs a path");
            }
            device = *v;
        } else if (arg == "--bcc") {
            simulator.SetBcc(true);
        } else if (arg == "--no-bcc") {
            simulator.SetBcc(false);
        } else if (arg == "--firmware") {
            auto v = value();
            firmware = v ? Number(*v, 16) : std::nullopt;
            if (!firmware || *firmware > 0xFFFF) {
                return Fail("--firmware needs a hexadecimal word");
            }
        } else if (arg == "--latency-ms") {
            int ms = 0;
            if (!count(&ms)) {
                return Fail("--latency-ms needs a number");
            }
            simulator.SetLatency(std::chrono::milliseconds(ms));
        } else if (arg == "--pace") {
            simulator.SetPace(true, 0);
        } else if (arg == "--baud") {
            int baud = 0;
            if (!count(&baud) || baud <= 0) {
                return Fail("--baud needs a speed");
            }
            simulator.SetPace(true, baud);
        } else if (arg == "--state") {
            auto v = value();
            if (!v) {
                return Fail("--state needs a file");
            }
            state = *v;
        } else if (arg == "--restart-ms") {
            int ms = 0;
            if (!count(&ms)) {
                return Fail("--restart-ms needs a number");
            }
            simulator.SetRestartTime(std::chrono::milliseconds(ms));
        } else if (arg == "--fixed-a" || arg == "--fixed-b") {
            auto v = value();
            if (!v) {
                return Fail(std::string(arg) + " needs a displacement");
            }
            std::string s(*v);
            char* end = nullptr;
            double mm = std::strtod(s.c_str(), &end);
            if (s.empty() || *end != '\0') {
                return Fail(std::string(arg) + " needs a displacement");
            }
            simulator.SetFixedDisplacement(arg == "--fixed-a" ? 0 : 1, mm);
        } else if (arg == "--trace") {
            trace = true;
        } else if (arg == "--bad-bcc") {
            if (!count(&faults.badBcc)) {
                return Fail("--bad-bcc needs a count");
            }
        } else if (arg == "--noise") {
            if (!count(&faults.noise)) {
                return Fail("--noise needs a count");
            }
        } else if (arg == "--wrong-echo") {
            if (!count(&faults.wrongEcho)) {
                return Fail("--wrong-echo needs a count");
            }
        } else if (arg == "--silent") {
            if (!count(&faults.silent)) {
                return Fail("--silent needs a count");
            }
        } else if (arg == "--quiet-after") {
            if (!count(&faults.quietAfter)) {
                return Fail("--quiet-after needs a count");
            }
        } else if (arg == "--delay") {
            auto v = value();
            if (!v || !Pair(*v, &faults.delayed, &faults.delayMs)) {
                return Fail("--delay needs N:MS");
            }
        } else if (arg == "--split") {
            auto v = value();
            if (!v || !Pair(*v, &faults.splitBytes, &faults.splitPauseMs)) {
                return Fail("--split needs BYTES:MS");
            }
        } else if (arg == "--hangup") {
            auto v = value();
            if (!v || !Pair(*v, &faults.hangupAfter, &faults.hangupMs)) {
                return Fail("--hangup needs N:MS");
            }
        } else {
            return Fail("unknown option " + std::string(arg));
        }
    }
    if (!device.empty() && !link.empty()) {
        return Fail("--link and --device exclude each other");
    }

    ResultInfo info;
    if (!state.empty() && simulator.SetStatePath(state, &info) != ZUL_OK) {
        std::cerr << "qvm8-sim: cannot read " << state << ": "
                  << (info.detail2.empty() ? std::strerror(info.osError) : info.detail2) << "\n";
        return 1;
    }
    if (firmware) {
        simulator.SetFirmware(static_cast<uint16_t>(*firmware));
    }
    simulator.SetFaults(faults);
    if (trace) {
        simulator.SetTrace([](std::string_view line) {
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fputc('\n', stdout);
            std::fflush(stdout);
        });
    }

    // Signals are taken by sigwait below; the server thread inherits the blocked mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    int32_t code =
        device.empty() ? simulator.StartPty(&info, link) : simulator.StartDevice(device, &info);
    if (code != ZUL_OK) {
        std::cerr << "qvm8-sim: cannot open " << info.detail1 << ": " << std::strerror(info.osError)
                  << "\n";
        return 1;
    }
    std::printf("%s\n", simulator.DevicePath().c_str());
    if (!link.empty()) {
        std::printf("linked at %s\n", link.c_str());
    }
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    simulator.Stop();
    return 0;
}
