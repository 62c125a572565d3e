// SPDX-License-Identifier: GPL-3.0-or-later
// The program against a paced emulator for the acquisition benchmarks: an Application on a
// private home folder, connected over the emulator's pseudo-terminal, and a count of the
// characters that cross the line (both directions, carriage returns included).
#pragma once

#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchApplication.h"
#include "Simulator.h"
#include "app/Application.h"
#include "app/ConnectSequence.h"
#include "link/SerialPortName.h"
#include "link/ThreadCommControler.h"

namespace zul::bench {

using Clock = std::chrono::steady_clock;

class AcqBenchRig {
public:
    explicit AcqBenchRig(int64_t baud) : baud_(baud) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qvm8-bench-XXXXXX").string();
        if (char* made = mkdtemp(pattern.data())) {
            home_ = made;
        }
        setenv("HOME", home_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home_ + "/config").c_str(), 1);
        setenv("XDG_STATE_HOME", (home_ + "/state").c_str(), 1);
        setenv("XDG_CACHE_HOME", (home_ + "/cache").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", home_.c_str(), 1);
        sim.UseManualClock(true);
        sim.SetFixedDisplacement(0, 1.5);
        sim.SetFixedDisplacement(1, 0.25);
        sim.SetPace(true, baud);
        sim.SetTrace([this](std::string_view line) {
            // "<- FRAME" or "-> FRAME": the frame and its carriage return crossed the line.
            if (line.size() > 3) {
                characters_ += line.size() - 3 + 1;
            }
        });
        ResultInfo info;
        if (sim.StartPty(&info) != ZUL_OK) {
            std::fprintf(stderr, "cannot start the emulator: %s\n", info.detail1.c_str());
            return;
        }
        SetSerialDeviceOverride(sim.DevicePath());
        ApplicationOptions options = BenchApplicationOptions(home_);
        options.beforeThreads = [](SettingsStore& store) {
            store.SetInt<kSoftCommunicationType>(1);
            store.SetInt<kSoftRs232cBaudrate>(3);
            store.SetInt<kSoftRs232cBCC>(1);
            store.SetInt<kSoftRs232cTimeout>(4);
        };
        if (app.Startup(options, &info) != ZUL_OK ||
            ConnectController(app, &info, nullptr, false) != ZUL_OK) {
            std::fprintf(stderr, "cannot connect: %d\n", info.code);
            return;
        }
        ok = true;
    }
    ~AcqBenchRig() {
        DisconnectController(app);
        app.Shutdown();
        sim.Stop();
        SetSerialDeviceOverride("");
        std::error_code ignored;
        std::filesystem::remove_all(home_, ignored);
    }

    CommGate& Gate() { return *app.CommControler(); }
    void ResetCharacters() { characters_ = 0; }
    uint64_t Characters() const { return characters_.load(); }
    // What the characters counted take on the line (8N1: ten bits each), in seconds.
    double WireSeconds() const { return characters_.load() * 10.0 / static_cast<double>(baud_); }

    sim::Simulator sim;
    Application app;
    bool ok = false;

private:
    int64_t baud_;
    std::string home_;
    std::atomic<uint64_t> characters_{0};
};

inline double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

}  // namespace zul::bench
