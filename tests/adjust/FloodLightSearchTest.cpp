// SPDX-License-Identifier: GPL-3.0-or-later
// The flood-light search state machine against a scripted controller; polls are handed back
// through a queue as the owner's thread would receive them.
#include <gtest/gtest.h>

#include "acqsupport/ScriptedGate.h"
#include "adjust/FloodLightSearch.h"
#include "link/FieldCodec.h"

namespace zul {
namespace {

using test::ScriptedGate;

class FloodLightTest : public ::testing::Test {
protected:
    void SetUp() override { store.SetInt<kAppCurMemNo>(2); }

    ScriptedGate::Answer Answer(const std::string& command) {
        std::string key = command.substr(4, 4);
        if (key == failOn_) {
            return {ZUL_OK, "%EE!11"};
        }
        if (key.substr(0, 3) == "RFC" && !pollReply_.empty()) {
            return {ZUL_OK, pollReply_};
        }
        if (key.substr(0, 3) == "RFC") {
            int32_t left = pollsRunning_ > 0 ? pollsRunning_-- : 0;
            return {ZUL_OK, "%EE$RFC" + FormatDecimal(left > 0 ? 1 : 0, 5)};
        }
        if (key.substr(0, 3) == "RFB") {
            return {ZUL_OK, "%EE$RFB" + FormatDecimal(result_, 5)};
        }
        return {ZUL_OK, "%EE$" + command.substr(4, 3)};
    }

    // Ticks until the search has ended, handing every poll back.
    void RunToEnd(FloodLightSearch& search, int maxTicks = 1000) {
        for (int i = 0; i < maxTicks && !search.Ended(); ++i) {
            search.Tick();
            while (auto poll = polls.Wait(std::chrono::milliseconds(0))) {
                search.OnPollDone(std::move(poll));
            }
        }
    }

    std::string pollReply_;  // when set, the reply to every poll
    int32_t pollsRunning_ = 2;
    int32_t result_ = 345;
    std::string failOn_;
    ScriptedGate gate{[this](const std::string& c) { return Answer(c); }};
    SettingsStore store;
    test::Returned<CommRequest> polls;
    FloodLightSearch::PollDelivery deliver = [this](std::unique_ptr<CommRequest> r) {
        polls.Put(std::move(r));
    };
};

TEST_F(FloodLightTest, PollsAboutOnceASecondAndStoresTheResult) {
    FloodLightSearch search(gate, store, 1, deliver);
    ASSERT_EQ(search.Start(), ZUL_OK);
    EXPECT_EQ(search.State(), FloodLightState::kWaiting);
    for (int i = 0; i < 9; ++i) {
        search.Tick();
    }
    EXPECT_EQ(gate.CountOf("%EE#RFC"), 0u);
    search.Tick();
    EXPECT_EQ(gate.CountOf("%EE#RFC2"), 1u);
    RunToEnd(search);
    ASSERT_TRUE(search.Ended());
    EXPECT_EQ(search.Result().code, ZUL_OK);
    EXPECT_EQ(gate.Commands().front(), "%EE#WFC200001");
    EXPECT_EQ(gate.CountOf("%EE#RFC2"), 3u);
    EXPECT_EQ(gate.Commands().back(), "%EE#RFB2");
    EXPECT_EQ(search.Value(), 345);
    EXPECT_EQ(store.GetInt<kHeadFloodLightAjust>(2, 1), 345);
}

TEST_F(FloodLightTest, ResultZeroIsStoredAndReportedAsFailedSearch) {
    result_ = 0;
    store.SetInt<kHeadFloodLightAjust>(99, 2, 0);
    FloodLightSearch search(gate, store, 0, deliver);
    ASSERT_EQ(search.Start(), ZUL_OK);
    RunToEnd(search);
    EXPECT_EQ(search.Result().code, ZUL_ERR_FLOOD_LIGHT_SEARCH);
    EXPECT_TRUE(search.HasValue());
    EXPECT_EQ(store.GetInt<kHeadFloodLightAjust>(2, 0), 0);
}

TEST_F(FloodLightTest, FailedStartEndsWithItsResult) {
    failOn_ = "WFC1";
    FloodLightSearch search(gate, store, 0, deliver);
    EXPECT_EQ(search.Start(), ZUL_ERR_COMM_RES);
    EXPECT_TRUE(search.Ended());
    search.Tick();
    EXPECT_EQ(gate.CountOf("%EE#RFC"), 0u);
}

TEST_F(FloodLightTest, FailedPollEndsWithoutReadingTheResult) {
    failOn_ = "RFC1";
    FloodLightSearch search(gate, store, 0, deliver);
    ASSERT_EQ(search.Start(), ZUL_OK);
    RunToEnd(search);
    EXPECT_EQ(search.Result().code, ZUL_ERR_COMM_RES);
    EXPECT_EQ(gate.CountOf("%EE#RFB"), 0u);
    EXPECT_FALSE(search.HasValue());
}

// A progress reply that does not decode is no "search finished": the search ends with
// ZUL_ERR_COMM_RES and the reply, and the result is neither read nor stored.
TEST_F(FloodLightTest, MalformedPollEndsWithoutReadingTheResult) {
    for (const char* reply : {"%EE$RFC", "%EE$RFC000", "%EE$RFC0000x", "%EE$RFC 0000"}) {
        pollReply_ = reply;
        FloodLightSearch search(gate, store, 0, deliver);
        ASSERT_EQ(search.Start(), ZUL_OK);
        RunToEnd(search);
        EXPECT_EQ(search.Result().code, ZUL_ERR_COMM_RES) << reply;
        EXPECT_EQ(search.Result().detail2, reply);
        EXPECT_EQ(gate.CountOf("%EE#RFB"), 0u) << reply;
        EXPECT_FALSE(search.HasValue());
    }
}

TEST_F(FloodLightTest, PollArrivingAfterCloseIsDiscarded) {
    gate.SetHold(true);
    FloodLightSearch search(gate, store, 0, deliver);
    ASSERT_EQ(search.Start(), ZUL_OK);
    for (int i = 0; i < 10; ++i) {
        search.Tick();
    }
    auto held = gate.TakeHeld(std::chrono::seconds(5));
    ASSERT_NE(held, nullptr);
    search.Close();
    EXPECT_EQ(gate.Cancels(), 1);
    gate.Complete(std::move(held));
    auto late = polls.Wait();
    ASSERT_NE(late, nullptr);
    search.OnPollDone(std::move(late));
    EXPECT_EQ(gate.CountOf("%EE#RFB"), 0u);
    EXPECT_EQ(store.GetInt<kHeadFloodLightAjust>(2, 0), 0);
}

TEST_F(FloodLightTest, StartIsIgnoredWhileSearching) {
    FloodLightSearch search(gate, store, 0, deliver);
    ASSERT_EQ(search.Start(), ZUL_OK);
    EXPECT_EQ(search.Start(), ZUL_ERR);
    EXPECT_EQ(gate.CountOf("%EE#WFC"), 1u);
}

}  // namespace
}  // namespace zul
