// SPDX-License-Identifier: GPL-3.0-or-later
// Repeated light-wave capture through the whole program from an emulator paced at 921600
// bit/s: captures per second against what the line allows for the characters of one capture.
//   build/bench/bench_acq_lightwave [captures]
#include <condition_variable>
#include <cstdlib>
#include <mutex>

#include "AcqBenchRig.h"
#include "lightwave/ThreadLightWave.h"

int main(int argc, char** argv) {
    using namespace zul;
    int captures = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
    const int64_t baud = 921600;
    bench::AcqBenchRig rig(baud);
    if (!rig.ok) {
        return 1;
    }
    auto data = std::make_unique<LightWaveData>();
    CThreadLightWave& thread = *rig.app.LightWave();
    thread.AttachData(data.get());
    std::mutex mutex;
    std::condition_variable cv;
    int finished = 0;
    int failed = 0;
    rig.ResetCharacters();
    auto start = bench::Clock::now();
    for (int i = 0; i < captures; ++i) {
        auto request = std::make_unique<LightWaveRequest>();
        request->onDone = [&](int64_t, std::unique_ptr<LightWaveRequest> r) {
            std::lock_guard lock(mutex);
            failed += r->result.code != ZUL_OK ? 1 : 0;
            ++finished;
            cv.notify_all();
        };
        int before = finished;
        thread.SubmitCapture(std::move(request));
        std::unique_lock lock(mutex);
        cv.wait_for(lock, std::chrono::seconds(30), [&] { return finished > before; });
        lock.unlock();
        data->AppendCurrentToHistory();
    }
    double elapsed = bench::Seconds(bench::Clock::now() - start);
    thread.AttachData(nullptr);
    double perCapture = rig.WireSeconds() / captures;
    double rate = captures / elapsed;
    double wireRate = 1.0 / perCapture;
    std::printf("captures %d, failed %d, characters per capture %.0f\n", captures, failed,
                static_cast<double>(rig.Characters()) / captures);
    std::printf("captures/s %.2f, line allows %.2f/s, ratio %.3f\n", rate, wireRate,
                rate / wireRate);
    return failed == 0 && finished == captures ? 0 : 1;
}
