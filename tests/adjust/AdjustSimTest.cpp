// SPDX-License-Identifier: GPL-3.0-or-later
// Adjustments end to end against the emulator.
#include <gtest/gtest.h>

#include "acqsupport/ScriptedGate.h"
#include "acqsupport/SimApplication.h"
#include "adjust/AdjustSequences.h"
#include "adjust/FloodLightSearch.h"

namespace zul {
namespace {

size_t CountFrames(test::SimApplication& rig, const std::string& prefix) {
    size_t n = 0;
    for (const std::string& frame : rig.sim.ReceivedFrames()) {
        n += frame.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return n;
}

TEST(AdjustSim, ScalingIsExecutedOrCancelled) {
    test::SimApplication rig;
    ASSERT_TRUE(rig.started);
    SettingsStore& store = rig.app.Store();
    AdjustPoints points;
    points.measure1 = 1.0;
    points.measure2 = -1.0;
    points.second1 = 5.0;
    points.second2 = -5.0;
    ResultInfo info;
    ASSERT_EQ(
        ApplyAdjustment(rig.Gate(), store, rig.app.Ui(), AdjustKind::kScaling, 0, points, &info),
        ZUL_OK)
        << info.code;
    EXPECT_EQ(CountFrames(rig, "%EE#WAS300001"), 1u);

    points.measure2 = 1.0;
    EXPECT_EQ(
        ApplyAdjustment(rig.Gate(), store, rig.app.Ui(), AdjustKind::kScaling, 0, points, &info),
        ZUL_ERR_BAD_SCALING);
    // The cancel was posted; a following request is answered after it.
    double value = 0.0;
    ASSERT_EQ(TakeCurrentValue(rig.Gate(), store, rig.app.Ui(), AdjustKind::kScaling, 0, 0, &value,
                               &info),
              ZUL_OK);
    EXPECT_EQ(CountFrames(rig, "%EE#WAS300002"), 1u);
    EXPECT_EQ(CountFrames(rig, "%EE#WAS300001"), 1u);
}

TEST(AdjustSim, CalibrationOpensExecutesAndStores) {
    test::SimApplication rig;
    ASSERT_TRUE(rig.started);
    ResultInfo info;
    ASSERT_EQ(OpenCalibration(rig.Gate(), 1, &info), ZUL_OK);
    EXPECT_EQ(rig.sim.ReadWord(2719), 1);
    AdjustPoints points;
    points.measure1 = 0.2;
    points.measure2 = 0.8;
    points.second1 = 0.25;
    points.second2 = 0.75;
    ASSERT_EQ(ApplyAdjustment(rig.Gate(), rig.app.Store(), rig.app.Ui(), AdjustKind::kCalibration,
                              1, points, &info),
              ZUL_OK)
        << info.code;
    EXPECT_EQ(CountFrames(rig, "%EE#WCE200001"), 1u);
}

TEST(AdjustSim, FloodLightSearchEndsWithTheControllerResult) {
    test::SimApplication rig;
    ASSERT_TRUE(rig.started);
    SettingsStore& store = rig.app.Store();
    store.SetInt<kAppCurMemNo>(1);
    test::Returned<CommRequest> polls;
    FloodLightSearch search(rig.Gate(), store, 0,
                            [&polls](std::unique_ptr<CommRequest> r) { polls.Put(std::move(r)); });
    ASSERT_EQ(search.Start(), ZUL_OK);
    for (int tick = 0; tick < 10000 && !search.Ended(); ++tick) {
        rig.sim.AdvanceClock(std::chrono::milliseconds(100));
        search.Tick();
        if (search.State() == FloodLightState::kPolling) {
            auto poll = polls.Wait(std::chrono::seconds(5));
            ASSERT_NE(poll, nullptr);
            search.OnPollDone(std::move(poll));
        }
    }
    ASSERT_TRUE(search.Ended());
    ASSERT_TRUE(search.HasValue());
    std::string reply = rig.Ask("%EE#RFB1");
    ASSERT_GE(reply.size(), 12u);
    EXPECT_EQ(search.Value(), std::stoi(reply.substr(7, 5)));
    EXPECT_EQ(store.GetInt<kHeadFloodLightAjust>(1, 0), search.Value());
    EXPECT_EQ(search.Result().code, search.Value() == 0 ? ZUL_ERR_FLOOD_LIGHT_SEARCH : ZUL_OK);
}

}  // namespace
}  // namespace zul
