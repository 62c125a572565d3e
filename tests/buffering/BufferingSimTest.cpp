// SPDX-License-Identifier: GPL-3.0-or-later
// Buffering end to end against the emulator: settings written and started, monitored to
// completion, stopped, and the stored values of both outputs read through the link.
#include <gtest/gtest.h>

#include <chrono>

#include "Simulator.h"
#include "acqsupport/ScriptedGate.h"
#include "acqsupport/SimApplication.h"
#include "buffering/BufferingProcedures.h"
#include "buffering/ThreadBuffering.h"

namespace zul {
namespace {

void PrepareBank(SettingsStore& store, int32_t bank, int32_t type, int32_t count) {
    store.SetInt<kAppCurMemNo>(bank);
    store.SetInt<kBufBufferMode>(0, bank);
    store.SetInt<kBufBufferType>(type, bank);
    store.SetInt<kBufBufferRate>(1, bank);
    store.SetInt<kBufStoreNum>(count, bank);
    store.SetInt<kBufSampleTriggerStoreNum>(1, bank);
    store.SetInt<kBufTriggerPoint>(1, bank);
    store.SetInt<kBufTriggerDelay>(0, bank);
    store.SetInt<kBufEventCondition>(0, bank, 0);
    store.SetInt<kBufEventCondition>(0, bank, 1);
    store.SetInt<kSysBufBufferSelfStop>(1);
}

std::unique_ptr<BufferingRequest> NewRequest(test::Returned<BufferingRequest>& returned,
                                             int32_t kind) {
    auto request = std::make_unique<BufferingRequest>();
    request->kind = kind;
    request->pollInterval = 0;
    request->onDone = [&returned](int64_t, std::unique_ptr<BufferingRequest> r) {
        returned.Put(std::move(r));
    };
    return request;
}

TEST(BufferingSim, FullRunOfBothOutputsReadsTheStoredValues) {
    test::SimApplication rig;
    ASSERT_TRUE(rig.started);
    // Moving targets, so that the values differ from one to the next.
    sim::TargetMotion motionA;
    motionA.baseMm = 0.5;
    motionA.waveMm = 0.8;
    motionA.waveHz = 27.0;
    motionA.noiseMm = 0.001;
    rig.sim.SetTarget(0, motionA);
    SettingsStore& store = rig.app.Store();
    const int32_t count = 5801;
    PrepareBank(store, 2, kBufferTypeBoth, count);
    ResultInfo info;
    ASSERT_EQ(WriteBufferingSettingsAndStart(rig.Gate(), store, rig.app.Ui(),
                                             rig.app.FirmwareVersion(), 2, &info),
              ZUL_OK)
        << info.code << " " << info.detail1;
    bool running = false;
    ASSERT_EQ(CheckBufferingRunning(rig.Gate(), &running, &info), ZUL_OK);
    EXPECT_TRUE(running);
    // Reading while the controller buffers is refused.
    EXPECT_EQ(WriteBufferingSettingsAndStart(rig.Gate(), store, rig.app.Ui(),
                                             rig.app.FirmwareVersion(), 2, &info),
              ZUL_ERR_BUFFERING_BUSY);

    test::Returned<BufferingRequest> returned;
    CThreadBuffering& thread = *rig.app.Buffering();
    thread.SubmitRequest(NewRequest(returned, kStartMonitoring));
    rig.sim.AdvanceClock(std::chrono::microseconds(100LL * (count + 10)));
    std::unique_ptr<BufferingRequest> done;
    while ((done = returned.Wait(std::chrono::seconds(10))) && done->kind == kMonitoringUpdate) {
    }
    ASSERT_NE(done, nullptr);
    ASSERT_EQ(done->kind, kMonitoringComplete);
    ASSERT_EQ(StopBuffering(rig.Gate(), &info), ZUL_OK);

    auto data = std::make_unique<BufferingData>();
    thread.AttachData(data.get());
    thread.SubmitRequest(NewRequest(returned, kReadData));
    done = returned.Wait(std::chrono::seconds(20));
    ASSERT_NE(done, nullptr);
    ASSERT_EQ(done->result.code, ZUL_OK) << done->result.detail1;
    thread.AttachData(nullptr);

    for (int output = 0; output < 2; ++output) {
        std::vector<int64_t> stored = rig.sim.WithController(
            [output](sim::SimController& c) { return c.Buffering().Values(output); });
        std::lock_guard lock(data->mutex);
        ASSERT_EQ(data->HeldCount(output), static_cast<int32_t>(stored.size()));
        ASSERT_EQ(stored.size(), static_cast<size_t>(count));
        for (size_t i = 0; i < stored.size(); ++i) {
            ASSERT_NEAR(data->outputs[output].values[i], stored[i] * 1e-6, 1e-6)
                << output << " " << i;
        }
    }
    EXPECT_EQ(data->header[kSlotStoreNum], count);
}

TEST(BufferingSim, NothingBufferedGivesNoBuffData) {
    test::SimApplication rig;
    ASSERT_TRUE(rig.started);
    test::Returned<BufferingRequest> returned;
    auto data = std::make_unique<BufferingData>();
    rig.app.Buffering()->AttachData(data.get());
    rig.app.Buffering()->SubmitRequest(NewRequest(returned, kReadData));
    auto done = returned.Wait(std::chrono::seconds(10));
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_ERR_NO_BUFF_DATA);
    rig.app.Buffering()->AttachData(nullptr);
}

TEST(BufferingSim, SettingsReadBackAsWritten) {
    test::SimApplication rig;
    ASSERT_TRUE(rig.started);
    SettingsStore& store = rig.app.Store();
    PrepareBank(store, 1, kBufferTypeOut2, 1234);
    store.SetInt<kBufTriggerDelay>(25, 1);
    store.SetInt<kBufEventCondition>(3, 1, 1);
    ResultInfo info;
    ASSERT_EQ(WriteBufferingSettingsAndStart(rig.Gate(), store, rig.app.Ui(),
                                             rig.app.FirmwareVersion(), 1, &info),
              ZUL_OK)
        << info.code;
    ASSERT_EQ(StopBuffering(rig.Gate(), &info), ZUL_OK);
    BufferingSettings read;
    ASSERT_EQ(ReadBufferingSettings(rig.Gate(), store, rig.app.Ui(), rig.app.FirmwareVersion(),
                                    &read, &info),
              ZUL_OK);
    EXPECT_EQ(read.bufferType, kBufferTypeOut2);
    EXPECT_EQ(read.storeNum, 1234);
    EXPECT_EQ(read.bufferSelfStop, 1);
    EXPECT_EQ(read.triggerDelay, 25);
    EXPECT_EQ(read.eventCondition[1], 3);
}

}  // namespace
}  // namespace zul
