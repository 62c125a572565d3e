// SPDX-License-Identifier: GPL-3.0-or-later
// The light-wave capture against a scripted controller whose data area holds a known word at
// every address.
#include <gtest/gtest.h>

#include "acqsupport/ScriptedGate.h"
#include "lightwave/ThreadLightWave.h"
#include "link/FieldCodec.h"

namespace zul {
namespace {

using test::ScriptedGate;

uint16_t WordOf(int32_t address) {
    return static_cast<uint16_t>((address * 7919) & 0xFFFF);
}

class LightWaveThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (size_t i = 0; i < kVersionThresholdCount; ++i) {
            environment.SetVersionThreshold(i, 0x123);
        }
        environment.SetFirmwareVersion(0x123);
        ASSERT_TRUE(thread.Start());
        thread.AttachData(data.get());
    }

    ScriptedGate::Answer Answer(const std::string& command) {
        if (command.rfind("%EE#WDD", 0) == 0) {
            return {ZUL_OK, triggerFails_ ? "%EE!05" : "%EE$WD"};
        }
        int32_t first = std::stoi(command.substr(7, 5));
        int32_t last = std::stoi(command.substr(12, 5));
        std::string reply = "%EE$RD";
        for (int32_t a = first; a <= last; ++a) {
            reply += FormatHexWord(WordOf(a));
        }
        return {ZUL_OK, reply};
    }

    std::unique_ptr<LightWaveRequest> NewRequest() {
        auto request = std::make_unique<LightWaveRequest>();
        request->onDone = [this](int64_t, std::unique_ptr<LightWaveRequest> r) {
            returned.Put(std::move(r));
        };
        return request;
    }

    bool triggerFails_ = false;
    ScriptedGate gate{[this](const std::string& c) { return Answer(c); }};
    LinkEnvironment environment;
    std::unique_ptr<LightWaveData> data = std::make_unique<LightWaveData>();
    test::Returned<LightWaveRequest> returned;
    CThreadLightWave thread{gate, environment};
};

TEST_F(LightWaveThreadTest, CaptureFillsBothFramesFromTheDataArea) {
    thread.SubmitCapture(NewRequest());
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    ASSERT_EQ(done->result.code, ZUL_OK);
    EXPECT_EQ(gate.Commands(),
              (std::vector<std::string>{"%EE#WDD17200172000100", "%EE#RDD0004400045",
                                        "%EE#RDD1720119278"}));
    LightWaveFrame a = data->CurrentFrame(0);
    LightWaveFrame b = data->CurrentFrame(1);
    EXPECT_EQ(a.Field(1), WordOf(17201));
    EXPECT_EQ(b.Field(1), WordOf(17202));
    EXPECT_EQ(a.Field(3), WordOf(17205));
    EXPECT_EQ(b.Field(10), WordOf(17220));
    EXPECT_EQ(a.Field(11), WordOf(17221));
    EXPECT_EQ(a.Field(12), WordOf(17223));
    EXPECT_EQ(a.Field(13), WordOf(17222));
    EXPECT_EQ(b.Field(12), WordOf(17227));
    EXPECT_EQ(b.Field(13), WordOf(17226));
    EXPECT_EQ(b.Field(15), WordOf(17230));
    EXPECT_EQ(a.Sample(1), WordOf(17231));
    EXPECT_EQ(a.Sample(1024), WordOf(18254));
    EXPECT_EQ(b.Sample(1), WordOf(18255));
    EXPECT_EQ(b.Sample(1024), WordOf(19278));
    EXPECT_EQ(a.Field(1040), WordOf(44));
    EXPECT_EQ(b.Field(1040), WordOf(45));
    EXPECT_EQ(thread.State(), LightWaveState::kIdle);
}

TEST_F(LightWaveThreadTest, OldFirmwareReadsOnlyTheFrameArea) {
    environment.SetFirmwareVersion(0x122);
    thread.SubmitCapture(NewRequest());
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    ASSERT_EQ(done->result.code, ZUL_OK);
    EXPECT_EQ(gate.CountOf("%EE#RDD"), 1u);
    EXPECT_EQ(gate.Commands().back(), "%EE#RDD1720119278");
    EXPECT_EQ(data->CurrentFrame(0).Field(1040), 0);
    EXPECT_EQ(data->CurrentFrame(1).Field(1040), 0);
}

TEST_F(LightWaveThreadTest, FailedTriggerSendsNoReadAndKeepsTheFrames) {
    LightWaveFrame before;
    before.Field(1) = 5;
    data->StoreCurrentFrames(before, before);
    triggerFails_ = true;
    thread.SubmitCapture(NewRequest());
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_ERR_COMM_RES);
    EXPECT_EQ(gate.CountOf("%EE#RDD"), 0u);
    EXPECT_EQ(data->CurrentFrame(0), before);
}

TEST_F(LightWaveThreadTest, SubmitDuringACaptureIsDropped) {
    gate.SetHold(true);
    thread.SubmitCapture(NewRequest());
    auto held = gate.TakeHeld(std::chrono::seconds(5));
    ASSERT_NE(held, nullptr);
    thread.SubmitCapture(NewRequest());
    gate.SetHold(false);
    gate.Complete(std::move(held));
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_OK);
    thread.Cancel();  // a round trip
    EXPECT_EQ(returned.Count(), 0u);
    EXPECT_EQ(gate.CountOf("%EE#WDD"), 1u);
}

TEST_F(LightWaveThreadTest, CancelDropsTheCaptureAndItsLateReply) {
    gate.SetHold(true);
    thread.SubmitCapture(NewRequest());
    auto held = gate.TakeHeld(std::chrono::seconds(5));
    ASSERT_NE(held, nullptr);
    thread.Cancel();
    EXPECT_EQ(thread.State(), LightWaveState::kIdle);
    gate.Complete(std::move(held));
    thread.Cancel();
    EXPECT_EQ(returned.Count(), 0u);
    EXPECT_EQ(gate.CountOf("%EE#RDD"), 0u);
}

TEST_F(LightWaveThreadTest, DetachedCaptureStoresNothing) {
    thread.AttachData(nullptr);
    thread.SubmitCapture(NewRequest());
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_OK);
    EXPECT_EQ(data->CurrentFrame(0), LightWaveFrame{});
}

}  // namespace
}  // namespace zul
