// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary replies to one measurement cycle of the real measurement thread (thirteen
// commands; see FuzzGate.h for how the input becomes replies). Every cycle must end and hand its
// request back, stop at the first failing command, and leave finite measured values.
#include <cmath>
#include <cstdint>
#include <memory>
#include <string_view>

#include "FuzzGate.h"
#include "link/Event.h"
#include "measurement/ThreadMeasurement.h"
#include "settings/SettingsStore.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// Commands of one cycle: eleven single reads and two register frames.
constexpr size_t kCycleCommands = 13;

struct Harness {
    Harness() : thread(gate, store) { Check(thread.Start()); }
    ~Harness() { thread.Stop(); }

    zul::fuzz::FuzzGate gate{{}};
    zul::SettingsStore store;
    zul::CThreadMeasurement thread;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    // One thread for the whole run; it is stopped and joined when the process ends.
    static Harness harness;
    harness.gate.Reset(std::string_view(reinterpret_cast<const char*>(bytes), size));

    zul::Event done;
    int32_t code = -1;
    auto request = std::make_unique<zul::MeasurementCycleRequest>();
    request->onDone = [&](int64_t, std::unique_ptr<zul::MeasurementCycleRequest> finished) {
        code = finished->result.code;
        done.Set();
    };
    harness.thread.StartMeasurementCycle(std::move(request));
    done.Wait();

    size_t requests = harness.gate.Requests();
    Check(requests >= 1 && requests <= kCycleCommands);
    Check(code != zul::ZUL_OK || requests == kCycleCommands);
    for (int32_t out = 0; out < 2; ++out) {
        Check(std::isfinite(harness.store.GetDouble<zul::kMeasMeasureValue>(out)));
        Check(std::isfinite(harness.store.GetDouble<zul::kMeasZeroSetVal>(out)));
    }
    return 0;
}
