// SPDX-License-Identifier: GPL-3.0-or-later
// Round trips through both communication threads and the serial transport: ReadWord in a loop
// over a pseudo-terminal whose peer answers at once. Prints round trips per second and the
// median and 99th percentile of one round trip.
//   build/bench/bench_link_roundtrip [count]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "link/Commands.h"
#include "link/RequestBuilders.h"
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

}  // namespace

int main(int argc, char** argv) {
    int count = argc > 1 ? std::atoi(argv[1]) : 20000;
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
    using Clock = std::chrono::steady_clock;
    std::vector<double> micros;
    micros.reserve(static_cast<size_t>(count));
    int failures = 0;
    for (int i = 0; i < 200; ++i) {  // warm-up
        int32_t value = 0;
        zul::ReadWord(controller, &result, zul::cmd::kReadCurrentMemory, 0, &value);
    }
    auto begin = Clock::now();
    for (int i = 0; i < count; ++i) {
        int32_t value = 0;
        auto t0 = Clock::now();
        int32_t code = zul::ReadWord(controller, &result, zul::cmd::kReadCurrentMemory, 0, &value);
        auto t1 = Clock::now();
        if (code != zul::ZUL_OK || value != 3) {
            ++failures;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
    }
    double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
    std::sort(micros.begin(), micros.end());
    double median = micros[micros.size() / 2];
    double p99 = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    std::printf("round trips: %d in %.3f s = %.0f per second\n", count, seconds, count / seconds);
    std::printf("round trip: median %.1f us, p99 %.1f us, max %.1f us; failures %d\n", median, p99,
                micros.back(), failures);
    controller.SetStopping();
    controller.Stop();
    raw.SetStopping();
    raw.Stop();
    zul::SetSerialDeviceOverride("");
    return failures == 0 ? 0 : 1;
}
