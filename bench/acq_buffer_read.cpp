// SPDX-License-Identifier: GPL-3.0-or-later
// Reading 2 x 32500 buffered values through the whole program from an emulator paced at
// 921600 bit/s: the time the characters need on the line against the time the read takes.
//   build/bench/bench_acq_buffer_read [repetitions]
#include <sys/resource.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>

#include "AcqBenchRig.h"
#include "buffering/BufferingProcedures.h"
#include "buffering/ThreadBuffering.h"

namespace {

using namespace zul;
using bench::Clock;

struct Waiter {
    std::mutex mutex;
    std::condition_variable cv;
    std::unique_ptr<BufferingRequest> done;
};

std::unique_ptr<BufferingRequest> RunRequest(CThreadBuffering& thread, int32_t kind,
                                             Waiter& waiter) {
    auto request = std::make_unique<BufferingRequest>();
    request->kind = kind;
    request->pollInterval = 0;
    request->onDone = [&waiter](int64_t, std::unique_ptr<BufferingRequest> r) {
        if (r->kind == kMonitoringUpdate) {
            return;
        }
        std::lock_guard lock(waiter.mutex);
        waiter.done = std::move(r);
        waiter.cv.notify_all();
    };
    thread.SubmitRequest(std::move(request));
    std::unique_lock lock(waiter.mutex);
    waiter.cv.wait_for(lock, std::chrono::seconds(60), [&] { return waiter.done != nullptr; });
    return std::move(waiter.done);
}

}  // namespace

int main(int argc, char** argv) {
    int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int64_t baud = 921600;
    bench::AcqBenchRig rig(baud);
    if (!rig.ok) {
        return 1;
    }
    SettingsStore& store = rig.app.Store();
    const int32_t bank = 0;
    store.SetInt<kAppCurMemNo>(bank);
    store.SetInt<kBufBufferMode>(0, bank);
    store.SetInt<kBufBufferType>(kBufferTypeBoth, bank);
    store.SetInt<kBufBufferRate>(1, bank);
    store.SetInt<kBufStoreNum>(32500, bank);
    store.SetInt<kBufSampleTriggerStoreNum>(1, bank);
    store.SetInt<kBufTriggerPoint>(1, bank);
    store.SetInt<kSysBufBufferSelfStop>(1);
    sim::TargetMotion motion;
    motion.baseMm = 0.3;
    motion.waveMm = 1.2;
    motion.waveHz = 13.0;
    motion.noiseMm = 0.002;
    rig.sim.SetTarget(0, motion);
    rig.sim.SetTarget(1, motion);

    ResultInfo info;
    if (WriteBufferingSettingsAndStart(rig.Gate(), store, rig.app.Ui(), rig.app.FirmwareVersion(),
                                       bank, &info) != ZUL_OK) {
        std::fprintf(stderr, "start failed: %d\n", info.code);
        return 1;
    }
    rig.sim.AdvanceClock(std::chrono::microseconds(100LL * 32600));
    CThreadBuffering& thread = *rig.app.Buffering();
    Waiter waiter;
    auto complete = RunRequest(thread, kStartMonitoring, waiter);
    if (!complete || complete->kind != kMonitoringComplete || StopBuffering(rig.Gate(), &info)) {
        std::fprintf(stderr, "monitoring did not complete\n");
        return 1;
    }

    auto data = std::make_unique<BufferingData>();
    thread.AttachData(data.get());
    std::printf("%10s %10s %12s %12s %10s\n", "values", "chars", "wire s", "elapsed s",
                "wire/elapsed");
    int status = 0;
    for (int i = 0; i < repetitions; ++i) {
        rig.ResetCharacters();
        auto start = Clock::now();
        auto done = RunRequest(thread, kReadData, waiter);
        double elapsed = bench::Seconds(Clock::now() - start);
        if (!done || done->result.code != ZUL_OK) {
            std::fprintf(stderr, "read failed\n");
            status = 1;
            break;
        }
        int32_t held = 0;
        {
            std::lock_guard lock(data->mutex);
            held = data->HeldCount(0) + data->HeldCount(1);
        }
        double wire = rig.WireSeconds();
        std::printf("%10d %10llu %12.3f %12.3f %10.3f\n", held,
                    static_cast<unsigned long long>(rig.Characters()), wire, elapsed,
                    wire / elapsed);
    }
    thread.AttachData(nullptr);
    return status;
}
