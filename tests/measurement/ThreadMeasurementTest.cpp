// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement cycle against a scripted controller: decoding of every field, failures that
// end the cycle early, a second start while running, and cancel with a late reply.
#include <gtest/gtest.h>

#include <map>

#include "acqsupport/ScriptedGate.h"
#include "link/FieldCodec.h"
#include "measurement/ThreadMeasurement.h"

namespace zul {
namespace {

using test::ScriptedGate;

class MeasurementCycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        replies_ = {
            {"%EE#RMB5", "%EE$RMB+001.234567101010-000.500000010101"},
            {"%EE#RZS3", "%EE$RZS00001"},
            {"%EE#RZS4", "%EE$RZS00000"},
            {"%EE#RDD0280702808", "%EE$RD" + FormatHexWord(0xFFFF) + FormatHexWord(0xFFFF)},
            {"%EE#RDD0300703008", "%EE$RD" + FormatHexWord(0x86A0) + FormatHexWord(0x0001)},
            {"%EE#RTI3", "%EE$RTI00001"},
            {"%EE#RTI4", "%EE$RTI00000"},
            {"%EE#RRS3", "%EE$RRS00000"},
            {"%EE#RRS4", "%EE$RRS00001"},
            {"%EE#RLR1", "%EE$RLR00001"},
            {"%EE#RLR2", "%EE$RLR00000"},
            {"%EE#ROA3", "%EE$ROA00007"},
            {"%EE#ROA4", "%EE$ROA00012"},
        };
        store.SetInt<kCtrlCurMemNo>(5);
    }

    ScriptedGate::Answer Answer(const std::string& command) {
        std::lock_guard lock(mutex_);
        if (command == failOn_) {
            return {ZUL_OK, "%EE!22"};
        }
        auto it = replies_.find(command);
        if (it == replies_.end()) {
            ADD_FAILURE() << "unexpected " << command;
            return {ZUL_ERR_COMM_TIMEOUT, {}};
        }
        return {ZUL_OK, it->second};
    }
    void FailOn(std::string command) {
        std::lock_guard lock(mutex_);
        failOn_ = std::move(command);
    }

    std::unique_ptr<MeasurementCycleRequest> NewRequest() {
        auto request = std::make_unique<MeasurementCycleRequest>();
        request->context = 77;
        request->onDone = [this](int64_t context, std::unique_ptr<MeasurementCycleRequest> r) {
            EXPECT_EQ(context, 77);
            returned.Put(std::move(r));
        };
        return request;
    }

    std::mutex mutex_;
    std::map<std::string, std::string> replies_;
    std::string failOn_;
    ScriptedGate gate{[this](const std::string& c) { return Answer(c); }};
    SettingsStore store;
    test::Returned<MeasurementCycleRequest> returned;
};

TEST_F(MeasurementCycleTest, OneCycleDecodesEveryField) {
    CThreadMeasurement thread(gate, store);
    ASSERT_TRUE(thread.Start());
    thread.StartMeasurementCycle(NewRequest());
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_OK);

    std::vector<std::string> expected = {
        "%EE#RMB5", "%EE#RZS3", "%EE#RZS4", "%EE#RDD0280702808", "%EE#RDD0300703008",
        "%EE#RTI3", "%EE#RTI4", "%EE#RRS3", "%EE#RRS4",          "%EE#RLR1",
        "%EE#RLR2", "%EE#ROA3", "%EE#ROA4"};
    EXPECT_EQ(gate.Commands(), expected);

    EXPECT_DOUBLE_EQ(store.GetDouble<kMeasMeasureValue>(0), 1.234567);
    EXPECT_DOUBLE_EQ(store.GetDouble<kMeasMeasureValue>(1), -0.5);
    EXPECT_EQ(store.GetInt<kMeasStrobe>(0), 1);
    EXPECT_EQ(store.GetInt<kMeasHiState>(0), 0);
    EXPECT_EQ(store.GetInt<kMeasGoState>(0), 1);
    EXPECT_EQ(store.GetInt<kMeasLowState>(0), 0);
    EXPECT_EQ(store.GetInt<kMeasExtension>(0), 1);
    EXPECT_EQ(store.GetInt<kMeasAlarmState>(0), 0);
    EXPECT_EQ(store.GetInt<kMeasStrobe>(1), 0);
    EXPECT_EQ(store.GetInt<kMeasHiState>(1), 1);
    EXPECT_EQ(store.GetInt<kMeasAlarmState>(1), 1);
    EXPECT_EQ(store.GetInt<kMeasZeroSet>(0), 1);
    EXPECT_EQ(store.GetInt<kMeasZeroSet>(1), 0);
    // 0xFFFF/0xFFFF is -1 micro-unit; 0x0001:86A0 is 100000.
    EXPECT_DOUBLE_EQ(store.GetDouble<kMeasZeroSetVal>(0), -0.000001);
    EXPECT_DOUBLE_EQ(store.GetDouble<kMeasZeroSetVal>(1), 0.1);
    EXPECT_EQ(store.GetInt<kMeasTiming>(0), 1);
    EXPECT_EQ(store.GetInt<kMeasTiming>(1), 0);
    EXPECT_EQ(store.GetInt<kMeasReset>(0), 0);
    EXPECT_EQ(store.GetInt<kMeasReset>(1), 1);
    EXPECT_EQ(store.GetInt<kHeadLaserOff>(5, 0), 1);
    EXPECT_EQ(store.GetInt<kHeadLaserOff>(5, 1), 0);
    EXPECT_EQ(store.GetInt<kHeadLaserOff>(0, 0), 0);
    EXPECT_EQ(store.GetInt<kMeasAlarmCode>(0), 7);
    EXPECT_EQ(store.GetInt<kMeasAlarmCode>(1), 12);
    EXPECT_EQ(thread.CycleState(), 0);
}

TEST_F(MeasurementCycleTest, ErrorReplyEndsTheCycleAndKeepsEarlierValues) {
    store.SetInt<kMeasZeroSet>(9, 1);
    FailOn("%EE#RZS3");
    CThreadMeasurement thread(gate, store);
    ASSERT_TRUE(thread.Start());
    thread.StartMeasurementCycle(NewRequest());
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_ERR_COMM_RES);
    EXPECT_EQ(done->result.osError, 22);
    EXPECT_EQ(gate.Commands(), (std::vector<std::string>{"%EE#RMB5", "%EE#RZS3"}));
    EXPECT_DOUBLE_EQ(store.GetDouble<kMeasMeasureValue>(0), 1.234567);
    EXPECT_EQ(store.GetInt<kMeasZeroSet>(1), 9);
}

TEST_F(MeasurementCycleTest, RegisterFailureSkipsTheOffsetsAndEndsTheCycle) {
    store.SetDouble<kMeasZeroSetVal>(2.5, 0);
    FailOn("%EE#RDD0300703008");
    CThreadMeasurement thread(gate, store);
    ASSERT_TRUE(thread.Start());
    thread.StartMeasurementCycle(NewRequest());
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_ERR_COMM_RES);
    EXPECT_EQ(gate.Commands().back(), "%EE#RDD0300703008");
    EXPECT_EQ(gate.CountOf("%EE#RTI"), 0u);
    EXPECT_DOUBLE_EQ(store.GetDouble<kMeasZeroSetVal>(0), 2.5);
}

TEST_F(MeasurementCycleTest, ShortRegisterReplyFailsInsteadOfReadingZero) {
    store.SetDouble<kMeasZeroSetVal>(2.5, 0);
    {
        std::lock_guard lock(mutex_);
        replies_["%EE#RDD0280702808"] = "%EE$RD" + FormatHexWord(0x1234);
    }
    CThreadMeasurement thread(gate, store);
    ASSERT_TRUE(thread.Start());
    thread.StartMeasurementCycle(NewRequest());
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_ERR_COMM_RES);
    EXPECT_DOUBLE_EQ(store.GetDouble<kMeasZeroSetVal>(0), 2.5);
}

// Replies with a valid frame whose data does not decode end the cycle with ZUL_ERR_COMM_RES and
// the reply in detail2; nothing of that reply is stored, and no further command is sent.
TEST_F(MeasurementCycleTest, MalformedMeasurementBlockStoresNothingAndEndsTheCycle) {
    const std::string good = "+001.234567101010-000.500000010101";
    std::vector<std::string> bad = {
        "",                                    // no data at all
        good.substr(0, good.size() - 2),       // two characters short
        good + "0",                            // one too many
        "+001.23x567101010-000.500000010101",  // a letter in the real
        "+001.234567101A10-000.500000010101",  // a letter where a state digit belongs
        "+001.234567101010-000.50000001010 ",  // a blank where a state digit belongs
    };
    for (const std::string& data : bad) {
        store.SetDouble<kMeasMeasureValue>(4.5, 0);
        store.SetDouble<kMeasMeasureValue>(4.5, 1);
        store.SetInt<kMeasAlarmState>(3, 1);
        {
            std::lock_guard lock(mutex_);
            replies_["%EE#RMB5"] = "%EE$RMB" + data;
        }
        ScriptedGate local{[this](const std::string& c) { return Answer(c); }};
        CThreadMeasurement thread(local, store);
        ASSERT_TRUE(thread.Start());
        thread.StartMeasurementCycle(NewRequest());
        auto done = returned.Wait();
        ASSERT_NE(done, nullptr);
        EXPECT_EQ(done->result.code, ZUL_ERR_COMM_RES) << data;
        EXPECT_EQ(done->result.detail1, "%EE#RMB5");
        EXPECT_EQ(done->result.detail2, "%EE$RMB" + data);
        EXPECT_EQ(local.Commands(), (std::vector<std::string>{"%EE#RMB5"})) << data;
        EXPECT_DOUBLE_EQ(store.GetDouble<kMeasMeasureValue>(0), 4.5) << data;
        EXPECT_DOUBLE_EQ(store.GetDouble<kMeasMeasureValue>(1), 4.5) << data;
        EXPECT_EQ(store.GetInt<kMeasAlarmState>(1), 3) << data;
    }
}

TEST_F(MeasurementCycleTest, MalformedFiveDigitRepliesStoreNothing) {
    for (const char* data : {"", "001", "000010", "0x001", "0000A", " 0001", "-0001"}) {
        store.SetInt<kMeasAlarmCode>(44, 1);
        {
            std::lock_guard lock(mutex_);
            replies_["%EE#ROA4"] = std::string("%EE$ROA") + data;
        }
        ScriptedGate local{[this](const std::string& c) { return Answer(c); }};
        CThreadMeasurement thread(local, store);
        ASSERT_TRUE(thread.Start());
        thread.StartMeasurementCycle(NewRequest());
        auto done = returned.Wait();
        ASSERT_NE(done, nullptr);
        EXPECT_EQ(done->result.code, ZUL_ERR_COMM_RES) << data;
        EXPECT_EQ(done->result.detail2, std::string("%EE$ROA") + data);
        EXPECT_EQ(store.GetInt<kMeasAlarmCode>(1), 44) << data;
        EXPECT_EQ(store.GetInt<kMeasAlarmCode>(0), 7);  // the reply before it was good
    }
    // A bad zero-set reply ends the cycle before the offsets are read.
    {
        std::lock_guard lock(mutex_);
        replies_["%EE#RZS3"] = "%EE$RZS0000";
    }
    ScriptedGate local{[this](const std::string& c) { return Answer(c); }};
    CThreadMeasurement thread(local, store);
    ASSERT_TRUE(thread.Start());
    thread.StartMeasurementCycle(NewRequest());
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_ERR_COMM_RES);
    EXPECT_EQ(local.Commands(), (std::vector<std::string>{"%EE#RMB5", "%EE#RZS3"}));
}

TEST_F(MeasurementCycleTest, MalformedRegisterWordsStoreNoOffsets) {
    for (std::string data : {std::string("FFFFFFF"), std::string("FFFFFFFFF"),
                             std::string("FFFFGFFF"), std::string("FF FFFFF")}) {
        store.SetDouble<kMeasZeroSetVal>(2.5, 0);
        {
            std::lock_guard lock(mutex_);
            replies_["%EE#RDD0280702808"] = "%EE$RD" + data;
        }
        ScriptedGate local{[this](const std::string& c) { return Answer(c); }};
        CThreadMeasurement thread(local, store);
        ASSERT_TRUE(thread.Start());
        thread.StartMeasurementCycle(NewRequest());
        auto done = returned.Wait();
        ASSERT_NE(done, nullptr);
        EXPECT_EQ(done->result.code, ZUL_ERR_COMM_RES) << data;
        EXPECT_EQ(done->result.detail2, "%EE$RD" + data);
        EXPECT_DOUBLE_EQ(store.GetDouble<kMeasZeroSetVal>(0), 2.5) << data;
        EXPECT_EQ(local.CountOf("%EE#RTI"), 0u);
    }
}

TEST(MeasurementBlock, DecodesBothOutputs) {
    MeasurementBlock block;
    ASSERT_TRUE(DecodeMeasurementBlock("%EE$RMB-012.500000000001+000.000001123456", block));
    EXPECT_DOUBLE_EQ(block.outputs[0].value, -12.5);
    EXPECT_EQ(block.outputs[0].states, (std::array<int32_t, 6>{0, 0, 0, 0, 0, 1}));
    EXPECT_DOUBLE_EQ(block.outputs[1].value, 0.000001);
    EXPECT_EQ(block.outputs[1].states, (std::array<int32_t, 6>{1, 2, 3, 4, 5, 6}));
}

TEST_F(MeasurementCycleTest, LaserOffGoesToTheBankCurrentWhenTheReplyArrives) {
    gate.SetHold(true);
    CThreadMeasurement thread(gate, store);
    ASSERT_TRUE(thread.Start());
    thread.StartMeasurementCycle(NewRequest());
    while (auto held = gate.TakeHeld(std::chrono::seconds(5))) {
        if (held->command == "%EE#RLR1") {
            store.SetInt<kCtrlCurMemNo>(11);
        }
        bool last = held->command == "%EE#ROA4";
        gate.Complete(std::move(held));
        if (last) {
            break;
        }
    }
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(store.GetInt<kHeadLaserOff>(11, 0), 1);
    EXPECT_EQ(store.GetInt<kHeadLaserOff>(5, 0), 0);
}

TEST_F(MeasurementCycleTest, SecondStartWhileRunningIsDroppedWithoutCallback) {
    gate.SetHold(true);
    CThreadMeasurement thread(gate, store);
    ASSERT_TRUE(thread.Start());
    thread.StartMeasurementCycle(NewRequest());
    auto first = gate.TakeHeld(std::chrono::seconds(5));
    ASSERT_NE(first, nullptr);
    thread.StartMeasurementCycle(NewRequest());
    gate.SetHold(false);
    gate.Complete(std::move(first));
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_OK);
    thread.CancelMeasurementCycle();  // a round trip: every earlier message is handled
    EXPECT_EQ(returned.Count(), 0u);
    EXPECT_EQ(gate.CountOf("%EE#RMB5"), 1u);
}

TEST_F(MeasurementCycleTest, CancelWithdrawsTheCommandAndDiscardsTheLateReply) {
    gate.SetHold(true);
    CThreadMeasurement thread(gate, store);
    ASSERT_TRUE(thread.Start());
    thread.StartMeasurementCycle(NewRequest());
    auto held = gate.TakeHeld(std::chrono::seconds(5));
    ASSERT_NE(held, nullptr);
    thread.CancelMeasurementCycle();
    EXPECT_EQ(gate.Cancels(), 1);
    EXPECT_EQ(thread.CycleState(), 0);
    // The reply comes anyway (it had already left the controller thread).
    gate.Complete(std::move(held));
    thread.CancelMeasurementCycle();
    EXPECT_EQ(returned.Count(), 0u);
    EXPECT_DOUBLE_EQ(store.GetDouble<kMeasMeasureValue>(0), 0.0);
    EXPECT_EQ(gate.CountOf("%EE#RZS"), 0u);

    // The thread takes the next cycle normally.
    gate.SetHold(false);
    thread.StartMeasurementCycle(NewRequest());
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_OK);
}

TEST_F(MeasurementCycleTest, StopReturnsARunningCycleAsAborted) {
    gate.SetHold(true);
    std::unique_ptr<CommRequest> held;
    {
        CThreadMeasurement thread(gate, store);
        ASSERT_TRUE(thread.Start());
        thread.StartMeasurementCycle(NewRequest());
        held = gate.TakeHeld(std::chrono::seconds(5));
        ASSERT_NE(held, nullptr);
    }
    EXPECT_EQ(gate.Cancels(), 1);
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_ERR_ABORT);
}

TEST_F(MeasurementCycleTest, StartAfterStopDestroysTheRequest) {
    CThreadMeasurement thread(gate, store);
    ASSERT_TRUE(thread.Start());
    thread.Stop();
    thread.StartMeasurementCycle(NewRequest());
    EXPECT_EQ(returned.Count(), 0u);
    EXPECT_TRUE(gate.Commands().empty());
}

}  // namespace
}  // namespace zul
