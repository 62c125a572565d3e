// SPDX-License-Identifier: GPL-3.0-or-later
// A measurement cycle through the whole link against the emulator.
#include <gtest/gtest.h>

#include "acqsupport/ScriptedGate.h"
#include "acqsupport/SimApplication.h"
#include "link/FieldCodec.h"

namespace zul {
namespace {

TEST(MeasurementSim, CycleDecodesWhatTheControllerReports) {
    test::SimApplication rig;
    ASSERT_TRUE(rig.started);
    // Zero-set of OUT1 on; the offset registers of OUT1 hold -1 (0xFFFF/0xFFFF).
    ASSERT_FALSE(rig.Ask("%EE#WZS300001").empty());
    rig.sim.WriteWords(2807, {0xFFFF, 0xFFFF});
    rig.sim.WriteWords(3007, {0x86A0, 0x0001});
    SettingsStore& store = rig.app.Store();
    store.SetInt<kCtrlCurMemNo>(4);

    test::Returned<MeasurementCycleRequest> returned;
    auto request = std::make_unique<MeasurementCycleRequest>();
    request->onDone = [&](int64_t, std::unique_ptr<MeasurementCycleRequest> r) {
        returned.Put(std::move(r));
    };
    rig.app.Measurement()->StartMeasurementCycle(std::move(request));
    auto done = returned.Wait(std::chrono::seconds(10));
    ASSERT_NE(done, nullptr);
    ASSERT_EQ(done->result.code, ZUL_OK) << done->result.detail1;

    // The controller's clock stands still, so asking again gives the same answers.
    std::string block = rig.Ask("%EE#RMB5");
    ASSERT_EQ(block.size(), 7u + 34u);
    for (int out = 0; out < 2; ++out) {
        int32_t at = 7 + 17 * out;
        EXPECT_DOUBLE_EQ(store.GetDouble<kMeasMeasureValue>(out), ReadReal11(block, at));
        EXPECT_EQ(store.GetInt<kMeasStrobe>(out), ReadDecimal(block, at, 1));
        EXPECT_EQ(store.GetInt<kMeasHiState>(out), ReadDecimal(block, at, 1));
        EXPECT_EQ(store.GetInt<kMeasGoState>(out), ReadDecimal(block, at, 1));
        EXPECT_EQ(store.GetInt<kMeasLowState>(out), ReadDecimal(block, at, 1));
        EXPECT_EQ(store.GetInt<kMeasExtension>(out), ReadDecimal(block, at, 1));
        EXPECT_EQ(store.GetInt<kMeasAlarmState>(out), ReadDecimal(block, at, 1));
    }
    EXPECT_EQ(store.GetInt<kMeasZeroSet>(0), 1);
    EXPECT_EQ(store.GetInt<kMeasZeroSet>(1), 0);
    EXPECT_DOUBLE_EQ(store.GetDouble<kMeasZeroSetVal>(0), -0.000001);
    EXPECT_DOUBLE_EQ(store.GetDouble<kMeasZeroSetVal>(1), 0.1);
    auto word = [&](const std::string& text) {
        std::string reply = rig.Ask(text);
        int32_t at = 7;
        return ReadDecimal(reply, at, 5);
    };
    EXPECT_EQ(store.GetInt<kMeasTiming>(0), word("%EE#RTI3"));
    EXPECT_EQ(store.GetInt<kMeasReset>(1), word("%EE#RRS4"));
    EXPECT_EQ(store.GetInt<kHeadLaserOff>(4, 0), word("%EE#RLR1"));
    EXPECT_EQ(store.GetInt<kMeasAlarmCode>(0), word("%EE#ROA3"));
    EXPECT_EQ(store.GetInt<kMeasAlarmCode>(1), word("%EE#ROA4"));
}

}  // namespace
}  // namespace zul
