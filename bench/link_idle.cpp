// SPDX-License-Identifier: GPL-3.0-or-later
// Idle cost of an open link: both communication threads running, the serial transport open on
// a pseudo-terminal, nothing sent. Prints the process's CPU time as a share of one core.
//   build/bench/bench_link_idle [seconds]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "link/SerialPortName.h"
#include "link/ThreadCommControler.h"
#include "link/ThreadRawComm.h"
#include "link_peer.h"

namespace {

class Settings : public zul::LinkSettingsSource {
public:
    zul::LinkSettings ReadLinkSettings() override {
        zul::LinkSettings s;
        s.communicationType = zul::kCommunicationRs232c;
        s.rs232cBCC = 1;
        return s;
    }
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    zul::bench::ImmediatePeer peer;
    zul::SetSerialDeviceOverride(peer.Path());
    Settings settings;
    zul::LinkEnvironment environment;
    zul::CThreadRawComm raw(settings, environment, nullptr);
    zul::CThreadCommControler controller(raw, settings, environment);
    raw.Start();
    controller.Start();
    zul::ResultInfo result;
    if (controller.Connect(&result) != zul::ZUL_OK) {
        std::fprintf(stderr, "connect failed: %d\n", result.code);
        return 1;
    }
    double cpu0 = CpuSeconds();
    auto wall0 = std::chrono::steady_clock::now();
    // The measurement itself: the process only waits here.
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    double cpu = CpuSeconds() - cpu0;
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall0).count();
    std::printf("idle link: %.4f s CPU in %.2f s = %.3f%% of one core\n", cpu, wall,
                100.0 * cpu / wall);
    controller.SetStopping();
    controller.Stop();
    raw.SetStopping();
    raw.Stop();
    zul::SetSerialDeviceOverride("");
    return 0;
}
