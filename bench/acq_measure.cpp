// SPDX-License-Identifier: GPL-3.0-or-later
// One measurement cycle through the whole program from an emulator paced at 115200 bit/s:
// the cycle's time against the time its characters need on the line.
//   build/bench/bench_acq_measure [cycles] [unpaced]
#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "AcqBenchRig.h"
#include "measurement/ThreadMeasurement.h"

int main(int argc, char** argv) {
    using namespace zul;
    int cycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int64_t baud = 115200;
    bench::AcqBenchRig rig(baud);
    if (!rig.ok) {
        return 1;
    }
    // "unpaced": the same cycles with an unpaced emulator, to see the program's own cost.
    bool unpaced = argc > 2 && std::string(argv[2]) == "unpaced";
    if (unpaced) {
        rig.sim.SetPace(false);
    }
    CThreadMeasurement& thread = *rig.app.Measurement();
    std::mutex mutex;
    std::condition_variable cv;
    std::vector<double> ratios;
    std::vector<double> times;
    int status = 0;
    for (int i = 0; i < cycles; ++i) {
        bool finished = false;
        int32_t code = -1;
        auto request = std::make_unique<MeasurementCycleRequest>();
        request->onDone = [&](int64_t, std::unique_ptr<MeasurementCycleRequest> r) {
            std::lock_guard lock(mutex);
            code = r->result.code;
            finished = true;
            cv.notify_all();
        };
        rig.ResetCharacters();
        auto start = bench::Clock::now();
        thread.StartMeasurementCycle(std::move(request));
        std::unique_lock lock(mutex);
        cv.wait_for(lock, std::chrono::seconds(30), [&] { return finished; });
        double elapsed = bench::Seconds(bench::Clock::now() - start);
        if (!finished || code != ZUL_OK) {
            std::fprintf(stderr, "cycle %d failed: %d\n", i, code);
            status = 1;
            break;
        }
        times.push_back(elapsed);
        ratios.push_back(elapsed / rig.WireSeconds());
    }
    if (ratios.empty()) {
        return 1;
    }
    std::sort(ratios.begin(), ratios.end());
    std::sort(times.begin(), times.end());
    std::printf("cycles %zu, characters per cycle %llu, wire %.2f ms\n", ratios.size(),
                static_cast<unsigned long long>(rig.Characters()), rig.WireSeconds() * 1000.0);
    std::printf("cycle time median %.2f ms; elapsed/wire median %.3f, worst %.3f\n",
                times[times.size() / 2] * 1000.0, ratios[ratios.size() / 2], ratios.back());
    return status;
}
