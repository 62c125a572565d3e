// SPDX-License-Identifier: GPL-3.0-or-later
// Light-wave capture end to end against the emulator.
#include <gtest/gtest.h>

#include "acqsupport/ScriptedGate.h"
#include "acqsupport/SimApplication.h"
#include "lightwave/ThreadLightWave.h"

namespace zul {
namespace {

class LightWaveSimTest : public ::testing::Test {
protected:
    int32_t Capture(test::SimApplication& rig) {
        auto request = std::make_unique<LightWaveRequest>();
        request->onDone = [this](int64_t, std::unique_ptr<LightWaveRequest> r) {
            returned.Put(std::move(r));
        };
        rig.app.LightWave()->SubmitCapture(std::move(request));
        auto done = returned.Wait(std::chrono::seconds(10));
        return done ? done->result.code : -1;
    }
    test::Returned<LightWaveRequest> returned;
};

TEST_F(LightWaveSimTest, CaptureHoldsTheControllerWords) {
    test::SimApplication rig;
    ASSERT_TRUE(rig.started);
    auto data = std::make_unique<LightWaveData>();
    rig.app.LightWave()->AttachData(data.get());
    ASSERT_EQ(Capture(rig), ZUL_OK);
    rig.app.LightWave()->AttachData(nullptr);

    std::vector<uint16_t> area = rig.sim.ReadWords(kFrameAreaFirst, kFrameAreaWords);
    auto word = [&](int32_t address) { return area[static_cast<size_t>(address - 17201)]; };
    LightWaveFrame a = data->CurrentFrame(0);
    LightWaveFrame b = data->CurrentFrame(1);
    EXPECT_EQ(a.Field(1), word(17201));
    EXPECT_EQ(b.Field(2), word(17204));
    for (int32_t k = 0; k < 8; ++k) {
        EXPECT_EQ(a.Field(3 + k), word(17205 + k));
        EXPECT_EQ(b.Field(3 + k), word(17213 + k));
    }
    EXPECT_EQ(a.Field(11), word(17221));
    EXPECT_EQ(a.Field(12), word(17223));
    EXPECT_EQ(a.Field(13), word(17222));
    EXPECT_EQ(b.Field(14), word(17228));
    EXPECT_EQ(b.Field(15), word(17230));
    int nonZero = 0;
    for (int32_t s = 1; s <= kLightWaveSamples; ++s) {
        ASSERT_EQ(a.Sample(s), word(17230 + s));
        ASSERT_EQ(b.Sample(s), word(18254 + s));
        nonZero += a.Sample(s) != 0 ? 1 : 0;
    }
    EXPECT_GT(nonZero, 0);  // the emulator draws a waveform, not an empty area
    EXPECT_EQ(a.Field(1040), rig.sim.ReadWord(44));
    EXPECT_EQ(b.Field(1040), rig.sim.ReadWord(45));
}

TEST_F(LightWaveSimTest, HistoryOf1030CapturesKeepsTheNewest1024) {
    test::SimApplication rig;
    ASSERT_TRUE(rig.started);
    auto data = std::make_unique<LightWaveData>();
    rig.app.LightWave()->AttachData(data.get());
    std::vector<int32_t> firstFields;
    for (int i = 0; i < 1030; ++i) {
        rig.sim.AdvanceClock(std::chrono::microseconds(100 * (i + 1)));
        ASSERT_EQ(Capture(rig), ZUL_OK) << i;
        data->AppendCurrentToHistory();
        firstFields.push_back(data->CurrentFrame(0).Field(1));
    }
    rig.app.LightWave()->AttachData(nullptr);
    ASSERT_EQ(data->HistorySize(0), kMaxHistoryFrames);
    ASSERT_EQ(data->HistorySize(1), kMaxHistoryFrames);
    LightWaveFrame oldest;
    LightWaveFrame newest;
    ASSERT_TRUE(data->HistoryFrame(0, 0, oldest));
    ASSERT_TRUE(data->HistoryFrame(0, kMaxHistoryFrames - 1, newest));
    EXPECT_EQ(oldest.Field(1), firstFields[6]);
    EXPECT_EQ(newest, data->CurrentFrame(0));
}

TEST_F(LightWaveSimTest, OldFirmwareReadsOnlyTheFrameArea) {
    test::SimApplication rig(0x122);
    ASSERT_TRUE(rig.started);
    auto data = std::make_unique<LightWaveData>();
    rig.app.LightWave()->AttachData(data.get());
    rig.sim.ClearReceivedFrames();
    ASSERT_EQ(Capture(rig), ZUL_OK);
    rig.app.LightWave()->AttachData(nullptr);
    std::vector<std::string> reads;
    for (const std::string& frame : rig.sim.ReceivedFrames()) {
        if (frame.rfind("%EE#RDD", 0) == 0) {
            reads.push_back(frame.substr(7, 10));
        }
    }
    EXPECT_EQ(reads, (std::vector<std::string>{"1720119278"}));
    EXPECT_EQ(data->CurrentFrame(0).Field(1040), 0);
}

}  // namespace
}  // namespace zul
