// SPDX-License-Identifier: GPL-3.0-or-later
// The buffering thread against a scripted controller: data reads in blocks, sanitising, the
// firmware gates of the poll cycle, busy and no-data results, cancel with a late reply.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>

#include "acqsupport/ScriptedGate.h"
#include "buffering/BufferingRequest.h"
#include "buffering/ThreadBuffering.h"
#include "link/FieldCodec.h"

namespace zul {
namespace {

using test::ScriptedGate;

// The controller's buffering side: settings words, per-output states and stored values.
struct FakeController {
    std::mutex mutex;
    std::map<std::string, int32_t> words = {
        {"RBS0", 0},  {"RBD5", 1}, {"RTT5", 0}, {"RBR5", 3}, {"RBC5", 100}, {"RSR5", 0},
        {"RTP5", 50}, {"RSS0", 1}, {"RTR3", 2}, {"RTR4", 1}, {"RTS3", 3},   {"RTS4", 3},
        {"RLD3", 0},  {"RLD4", 0}, {"RLE3", 4}, {"RLE4", 5},
    };
    int32_t triggerDelay = -1234;
    std::vector<double> values[2];
    std::string errorOn;  // mnemonic + target answered with an error

    // The values as the controller sends them: an absolute first value, then differences.
    static std::string Block(const std::vector<double>& v, int32_t first, int32_t last) {
        std::string text;
        long long previous = 0;
        for (int32_t n = first; n <= last; ++n) {
            long long micro = std::llround(v[static_cast<size_t>(n - 1)] * 1e6);
            if (n == first) {
                char buf[32];
                std::snprintf(buf, sizeof buf, "%+011.6f", micro / 1e6);
                text += buf;
            } else {
                long long d = micro - previous;
                text += (d >= 0 ? "+" : "") + std::to_string(d);
            }
            previous = micro;
        }
        return text;
    }

    ScriptedGate::Answer Answer(const std::string& command) {
        std::lock_guard lock(mutex);
        std::string key = command.substr(4, 4);
        if (key == errorOn) {
            return {ZUL_OK, "%EE!22"};
        }
        std::string echo = "%EE$" + command.substr(4, 3);
        if (key == "RLB3" || key == "RLB4") {
            int32_t first = std::stoi(command.substr(8, 5));
            int32_t last = std::stoi(command.substr(13, 5));
            return {ZUL_OK, echo + Block(values[key == "RLB3" ? 0 : 1], first, last)};
        }
        if (key == "RTL5") {
            return {ZUL_OK, echo + FormatSigned11(triggerDelay)};
        }
        auto it = words.find(key);
        if (it == words.end()) {
            ADD_FAILURE() << "unexpected " << command;
            return {ZUL_ERR_COMM_TIMEOUT, {}};
        }
        return {ZUL_OK, echo + FormatDecimal(it->second, 5)};
    }
    void Set(const std::string& key, int32_t value) {
        std::lock_guard lock(mutex);
        words[key] = value;
    }
    void Fill(int output, int32_t count) {
        std::lock_guard lock(mutex);
        values[output].resize(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) {
            values[output][static_cast<size_t>(i)] =
                (output == 0 ? 1.0 : -2.0) + 0.000007 * i - 0.0003 * (i % 17);
        }
        words[output == 0 ? "RLD3" : "RLD4"] = count;
    }
};

class BufferingThreadTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (size_t i = 0; i < kVersionThresholdCount; ++i) {
            environment.SetVersionThreshold(i, 0x123);
        }
        environment.SetVersionThreshold(kThresholdEntry4, 0x200);
        environment.SetFirmwareVersion(0x300);
        ASSERT_TRUE(thread.Start());
        thread.SetLineState(1);
        thread.AttachData(data.get());
    }

    std::unique_ptr<BufferingRequest> NewRequest(int32_t kind, int32_t poll = 0) {
        auto request = std::make_unique<BufferingRequest>();
        request->kind = kind;
        request->pollInterval = poll;
        request->userData = 42;
        request->onDone = [this](int64_t userData, std::unique_ptr<BufferingRequest> r) {
            EXPECT_EQ(userData, 42);
            returned.Put(std::move(r));
        };
        return request;
    }

    std::vector<std::string> BlockRequests() {
        std::vector<std::string> blocks;
        for (const auto& c : gate.Commands()) {
            if (c.rfind("%EE#RLB", 0) == 0) {
                blocks.push_back(c.substr(7));
            }
        }
        return blocks;
    }

    FakeController controller;
    ScriptedGate gate{[this](const std::string& c) { return controller.Answer(c); }};
    LinkEnvironment environment;
    std::unique_ptr<BufferingData> data = std::make_unique<BufferingData>();
    test::Returned<BufferingRequest> returned;
    CThreadBuffering thread{gate, environment};
};

TEST_F(BufferingThreadTest, ReadDataOf5801ValuesUsesThreeBlocks) {
    controller.Set("RTT5", kBufferTypeOut1);
    controller.Fill(0, 5801);
    thread.SubmitRequest(NewRequest(kReadData));
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    ASSERT_EQ(done->result.code, ZUL_OK);
    EXPECT_EQ(BlockRequests(),
              (std::vector<std::string>{"30000102900", "30290105800", "30580105801"}));
    std::lock_guard lock(data->mutex);
    EXPECT_EQ(data->HeldCount(0), 5801);
    for (size_t i = 0; i < 5801; ++i) {
        ASSERT_NEAR(data->outputs[0].values[i], controller.values[0][i], 1e-9) << i;
    }
    // The header carries the settings of the run and the trigger counts.
    EXPECT_EQ(data->header[kSlotBufferMode], 1);
    EXPECT_EQ(data->header[kSlotBufferRate], 3);
    EXPECT_EQ(data->header[kSlotStoreNum], 100);
    EXPECT_EQ(data->header[kSlotTriggerPoint], 50);
    EXPECT_EQ(data->header[kSlotTriggerDelay], -1234);
    EXPECT_EQ(data->header[kSlotSampleTriggerStoreNum], 1);  // 0 raised to 1
    EXPECT_EQ(done->working[kSlotSampleTriggerStoreNum], 1);
    EXPECT_EQ(done->raw[kSlotSampleTriggerStoreNum], 0);
    EXPECT_EQ(data->header[BufferingValueSet::EventCondition(0)], 2);
    EXPECT_EQ(data->header[BufferingValueSet::EventCondition(1)], 1);
    EXPECT_EQ(data->header[BufferingValueSet::TriggerCount(0)], 4);
    EXPECT_EQ(gate.CountOf("%EE#RTS4"), 0u);
}

TEST_F(BufferingThreadTest, IncompleteOutputIsReportedWithNoValues) {
    controller.Fill(0, 10);
    controller.Fill(1, 20);
    controller.Set("RTS3", 2);
    thread.SubmitRequest(NewRequest(kReadData));
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    ASSERT_EQ(done->result.code, ZUL_OK);
    EXPECT_EQ(BlockRequests(), (std::vector<std::string>{"40000100020"}));
    EXPECT_EQ(done->working[BufferingValueSet::FinalDataPoint(0)], 0);
    EXPECT_EQ(done->raw[BufferingValueSet::FinalDataPoint(0)], 10);
    std::lock_guard lock(data->mutex);
    EXPECT_EQ(data->HeldCount(0), 0);
    EXPECT_EQ(data->HeldCount(1), 20);
    EXPECT_NEAR(data->outputs[1].values[19], controller.values[1][19], 1e-9);
}

TEST_F(BufferingThreadTest, NoDataGivesNoBuffDataWithTheStates) {
    controller.Set("RLD3", 70000);  // clamped, but the state is not complete
    controller.Set("RTS3", 1);
    controller.Set("RLD4", 0);
    thread.SubmitRequest(NewRequest(kReadData));
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_ERR_NO_BUFF_DATA);
    EXPECT_EQ(done->raw[BufferingValueSet::FinalDataPoint(0)], 70000);
    EXPECT_EQ(done->raw[BufferingValueSet::StateRead(0)], 1);
    EXPECT_EQ(done->working[BufferingValueSet::FinalDataPoint(0)], 0);
    EXPECT_TRUE(BlockRequests().empty());
}

TEST_F(BufferingThreadTest, OldFirmwareReadsWithoutTheMissingCommands) {
    environment.SetFirmwareVersion(0x150);
    controller.Set("RTT5", kBufferTypeOut2);
    controller.Fill(1, 3);
    thread.SubmitRequest(NewRequest(kReadData));
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    ASSERT_EQ(done->result.code, ZUL_OK);
    for (const char* absent : {"%EE#RSR", "%EE#RTP", "%EE#RTL", "%EE#RTR", "%EE#RLE"}) {
        EXPECT_EQ(gate.CountOf(absent), 0u) << absent;
    }
    EXPECT_EQ(done->working[kSlotTriggerPoint], 10000);
    EXPECT_EQ(done->working[kSlotSampleTriggerStoreNum], 1);
    EXPECT_EQ(done->working[BufferingValueSet::TriggerCount(1)], 0);
}

TEST_F(BufferingThreadTest, ShortValueBlockFailsAndStoresNothing) {
    controller.Set("RTT5", kBufferTypeOut1);
    controller.Fill(0, 5);
    {
        std::lock_guard lock(data->mutex);
        data->outputs[0].values[4] = 77.0;
    }
    // The controller answers the block with one value too few.
    ScriptedGate shortGate([this](const std::string& c) {
        auto answer = controller.Answer(c);
        if (c.rfind("%EE#RLB", 0) == 0) {
            answer.frame.resize(answer.frame.rfind('+') == std::string::npos
                                    ? answer.frame.size()
                                    : std::max(answer.frame.rfind('+'), answer.frame.rfind('-')));
        }
        return answer;
    });
    CThreadBuffering other(shortGate, environment);
    ASSERT_TRUE(other.Start());
    other.SetLineState(1);
    other.AttachData(data.get());
    other.SubmitRequest(NewRequest(kReadData));
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_ERR_COMM_RES);
    std::lock_guard lock(data->mutex);
    EXPECT_EQ(data->outputs[0].values[4], 77.0);
    EXPECT_EQ(data->HeldCount(0), 0);
}

// Word and trigger-delay replies whose data does not decode end the read: ZUL_ERR_COMM_RES with
// the reply in detail2, no value transfer and nothing in the data block.
TEST_F(BufferingThreadTest, MalformedSettingRepliesEndTheReadWithTheReply) {
    struct Case {
        std::string key;
        std::string data;
    };
    std::vector<Case> cases = {{"RBD5", ""},
                               {"RBD5", "000"},
                               {"RBC5", "0A001"},
                               {"RTT5", "00001 "},
                               {"RLD3", " 0005"},
                               {"RTL5", "-000000000"},
                               {"RTL5", "-00000000x1"},
                               {"RTL5", "00000000001"}};
    controller.Set("RTT5", kBufferTypeOut1);
    controller.Fill(0, 5);
    for (const Case& bad : cases) {
        {
            std::lock_guard lock(data->mutex);
            data->header[kSlotBufferMode] = 99;
        }
        ScriptedGate badGate([&](const std::string& c) {
            auto answer = controller.Answer(c);
            if (c.substr(4, 4) == bad.key) {
                answer.frame = "%EE$" + bad.key.substr(0, 3) + bad.data;
            }
            return answer;
        });
        CThreadBuffering other(badGate, environment);
        ASSERT_TRUE(other.Start());
        other.SetLineState(1);
        other.AttachData(data.get());
        other.SubmitRequest(NewRequest(kReadData));
        auto done = returned.Wait();
        ASSERT_NE(done, nullptr);
        EXPECT_EQ(done->result.code, ZUL_ERR_COMM_RES) << bad.key << " " << bad.data;
        EXPECT_EQ(done->result.detail1, "%EE#" + bad.key);
        EXPECT_EQ(done->result.detail2, "%EE$" + bad.key.substr(0, 3) + bad.data);
        EXPECT_EQ(badGate.CountOf("%EE#RLB"), 0u) << bad.key;
        std::lock_guard lock(data->mutex);
        EXPECT_EQ(data->header[kSlotBufferMode], 99) << bad.key;
    }
}

TEST_F(BufferingThreadTest, MalformedValueBlockNamesTheRequestAndReply) {
    controller.Set("RTT5", kBufferTypeOut1);
    controller.Fill(0, 3);
    ScriptedGate badGate([this](const std::string& c) {
        auto answer = controller.Answer(c);
        if (c.rfind("%EE#RLB", 0) == 0) {
            answer.frame = "%EE$RLB+001.0000x0+5-12";
        }
        return answer;
    });
    CThreadBuffering other(badGate, environment);
    ASSERT_TRUE(other.Start());
    other.SetLineState(1);
    other.AttachData(data.get());
    other.SubmitRequest(NewRequest(kReadData));
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_ERR_COMM_RES);
    EXPECT_EQ(done->result.detail1, "%EE#RLB30000100003");
    EXPECT_EQ(done->result.detail2, "%EE$RLB+001.0000x0+5-12");
    std::lock_guard lock(data->mutex);
    EXPECT_EQ(data->HeldCount(0), 0);
}

TEST_F(BufferingThreadTest, FailureOffLineBecomesOffline) {
    controller.errorOn = "RBC5";
    thread.SubmitRequest(NewRequest(kReadData));
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_ERR_COMM_RES);
    EXPECT_EQ(done->result.osError, 22);

    thread.SetLineState(0);
    thread.SubmitRequest(NewRequest(kReadData));
    done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_ERR_OFFLINE);
}

TEST_F(BufferingThreadTest, ReadStateReadsOnlyTheInvolvedOutputs) {
    controller.Set("RTT5", kBufferTypeOut2);
    controller.Set("RLD4", 321);
    thread.SubmitRequest(NewRequest(kReadState));
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_OK);
    EXPECT_EQ(gate.Commands(), (std::vector<std::string>{"%EE#RTT5", "%EE#RTS4", "%EE#RLD4"}));
    EXPECT_EQ(done->working[BufferingValueSet::FinalDataPoint(1)], 321);
}

TEST_F(BufferingThreadTest, MonitoringCompletesWhenBothOutputsReportComplete) {
    controller.Set("RTS4", 2);
    thread.SubmitRequest(NewRequest(kStartMonitoring));
    auto update = returned.Wait();
    ASSERT_NE(update, nullptr);
    EXPECT_EQ(update->kind, kMonitoringUpdate);
    EXPECT_EQ(update->working[BufferingValueSet::StateRead(1)], 2);
    controller.Set("RTS4", 3);
    std::unique_ptr<BufferingRequest> done;
    while ((done = returned.Wait()) && done->kind == kMonitoringUpdate) {
    }
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->kind, kMonitoringComplete);
    EXPECT_EQ(done->result.code, ZUL_OK);
    EXPECT_EQ(thread.State(), 0);
}

TEST_F(BufferingThreadTest, MonitoringWithoutSelfStopNeverCompletes) {
    controller.Set("RSS0", 0);
    thread.SubmitRequest(NewRequest(kStartMonitoring));
    for (int i = 0; i < 3; ++i) {
        auto update = returned.Wait();
        ASSERT_NE(update, nullptr);
        EXPECT_EQ(update->kind, kMonitoringUpdate);
    }
    // While monitoring, reads are refused and a second start is an error.
    thread.SubmitRequest(NewRequest(kReadData));
    thread.SubmitRequest(NewRequest(kStartMonitoring));
    std::vector<int32_t> codes;
    while (codes.size() < 2) {
        auto r = returned.Wait();
        ASSERT_NE(r, nullptr);
        if (r->kind != kMonitoringUpdate) {
            codes.push_back(r->result.code);
        }
    }
    EXPECT_EQ(codes, (std::vector<int32_t>{ZUL_ERR_BUFFERING_BUSY, ZUL_ERR}));
    thread.SubmitRequest(NewRequest(kStopMonitoring));
    std::unique_ptr<BufferingRequest> stop;
    while ((stop = returned.Wait()) && stop->kind == kMonitoringUpdate) {
    }
    ASSERT_NE(stop, nullptr);
    EXPECT_EQ(stop->kind, kStopMonitoring);
    EXPECT_EQ(stop->result.code, ZUL_OK);
    EXPECT_EQ(thread.State(), 0);
}

TEST_F(BufferingThreadTest, VeryOldFirmwarePollsWithoutModeAndSelfStop) {
    environment.SetFirmwareVersion(0x122);
    controller.Set("RTT5", kBufferTypeOut1);
    thread.SubmitRequest(NewRequest(kStartMonitoring));
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->kind, kMonitoringComplete);
    EXPECT_EQ(gate.CountOf("%EE#RBD"), 0u);
    EXPECT_EQ(gate.CountOf("%EE#RSS"), 0u);
    EXPECT_EQ(gate.CountOf("%EE#RTS4"), 0u);
}

TEST_F(BufferingThreadTest, OldFirmwareNeverReportsComplete) {
    environment.SetFirmwareVersion(0x150);
    thread.SubmitRequest(NewRequest(kStartMonitoring));
    for (int i = 0; i < 3; ++i) {
        auto update = returned.Wait();
        ASSERT_NE(update, nullptr);
        EXPECT_EQ(update->kind, kMonitoringUpdate);
        EXPECT_EQ(update->working[kSlotBufferMode], 2);
    }
    EXPECT_EQ(gate.CountOf("%EE#RBD"), 0u);
    EXPECT_EQ(gate.CountOf("%EE#RSS"), 0u);
    thread.Cancel();
}

TEST_F(BufferingThreadTest, StartWhileReadingIsAnError) {
    gate.SetHold(true);
    thread.SubmitRequest(NewRequest(kReadData));
    auto held = gate.TakeHeld(std::chrono::seconds(5));
    ASSERT_NE(held, nullptr);
    thread.SubmitRequest(NewRequest(kStartMonitoring));
    auto refused = returned.Wait();
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->kind, kStartMonitoring);
    EXPECT_EQ(refused->result.code, ZUL_ERR);
    thread.Cancel();
    gate.Complete(std::move(held));
}

TEST_F(BufferingThreadTest, CancelledReadStateDiscardsTheLateReply) {
    gate.SetHold(true);
    thread.SubmitRequest(NewRequest(kReadState));
    auto held = gate.TakeHeld(std::chrono::seconds(5));
    ASSERT_NE(held, nullptr);
    thread.Cancel();
    EXPECT_EQ(gate.Cancels(), 1);
    gate.Complete(std::move(held));
    thread.Cancel();  // a round trip
    EXPECT_EQ(returned.Count(), 0u);
    EXPECT_EQ(thread.State(), 0);
    EXPECT_EQ(gate.Commands().size(), 1u);
}

TEST_F(BufferingThreadTest, StopReturnsTheCurrentRequestAborted) {
    gate.SetHold(true);
    thread.SubmitRequest(NewRequest(kReadState));
    auto held = gate.TakeHeld(std::chrono::seconds(5));
    ASSERT_NE(held, nullptr);
    thread.Stop();
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_ERR_ABORT);
}

TEST_F(BufferingThreadTest, UnknownKindIsAnError) {
    thread.SubmitRequest(NewRequest(kMonitoringComplete));
    auto done = returned.Wait();
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->result.code, ZUL_ERR);
    EXPECT_TRUE(gate.Commands().empty());
}

}  // namespace
}  // namespace zul
