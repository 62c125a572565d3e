// SPDX-License-Identifier: GPL-3.0-or-later
// The payloads: times, the status and its will, and the blocks of a buffering run.
#include "StationPayloads.h"

#include <gtest/gtest.h>

#include "StationTestSupport.h"
#include "buffering/BufferingData.h"

namespace zul::station {
namespace {

using test::ParseJson;

TEST(StationPayloads, UtcTimeWithMilliseconds) {
    using namespace std::chrono;
    // 2021-03-04 05:06:07.089 UTC
    system_clock::time_point t{milliseconds(1614834367089LL)};
    EXPECT_EQ(UtcTimestamp(t), "2021-03-04T05:06:07.089Z");
    EXPECT_EQ(UtcTimestamp(system_clock::time_point{}), "1970-01-01T00:00:00.000Z");
}

TEST(StationPayloads, StatusAndWill) {
    StatusFields status;
    status.info = {{"type", "\"QV-M8\""}, {"version_word", "548"}};
    status.controller = ControllerLink::kConnected;
    status.bank = 3;
    status.measureDropped = 12;
    test::Json json = ParseJson(StatusPayload(status));
    EXPECT_EQ(json["type"].text, "QV-M8");
    EXPECT_EQ(json["version_word"].Int(), 548);
    EXPECT_TRUE(json["online"].boolean);
    EXPECT_EQ(json["controller"].text, "connected");
    EXPECT_EQ(json["bank"].Int(), 3);
    EXPECT_EQ(json["measure_dropped"].Int(), 12);
    status.controller = ControllerLink::kLost;
    EXPECT_EQ(ParseJson(StatusPayload(status))["controller"].text, "lost");
    test::Json will = ParseJson(OfflinePayload());
    EXPECT_EQ(will.members.size(), 1u);
    EXPECT_EQ(will["online"].kind, test::Json::Kind::kBool);
    EXPECT_FALSE(will["online"].boolean);
}

TEST(StationPayloads, BufferRunInBlocksOfAThousand) {
    auto data = std::make_unique<BufferingData>();
    data->header[kSlotBufferType] = 0;
    data->header[BufferingValueSet::FinalDataPoint(0)] = 2500;
    data->header[BufferingValueSet::FinalDataPoint(1)] = 1000;
    data->header[BufferingValueSet::TriggerCount(0)] = 7;
    for (int n = 0; n < 2500; ++n) {
        data->outputs[0].values[static_cast<size_t>(n)] = n * 0.001 - 1.0;
    }
    for (int n = 0; n < 1000; ++n) {
        data->outputs[1].values[static_cast<size_t>(n)] = -n * 0.000001;
    }
    std::vector<OutboxMessage> messages;
    {
        std::lock_guard lock(data->mutex);
        messages = BufferRunMessages("qvm8/s1/", 12, *data, std::chrono::system_clock::now());
    }
    ASSERT_EQ(messages.size(), 5u);  // 1000 + 1000 + 500 of OUT1, 1000 of OUT2, done
    const int firsts[] = {1, 1001, 2001, 1};
    const int outputs[] = {1, 1, 1, 2};
    const size_t sizes[] = {1000, 1000, 500, 1000};
    for (size_t b = 0; b < 4; ++b) {
        EXPECT_EQ(messages[b].topic, "qvm8/s1/buffer/12/" + std::to_string(b + 1));
        EXPECT_EQ(messages[b].qos, 1);
        EXPECT_FALSE(messages[b].retain);
        test::Json block = ParseJson(messages[b].payload);
        EXPECT_EQ(block["run"].Int(), 12);
        EXPECT_EQ(block["output"].Int(), outputs[b]);
        EXPECT_EQ(block["first"].Int(), firsts[b]);
        ASSERT_EQ(block["values"].items.size(), sizes[b]);
        const auto& values = data->outputs[static_cast<size_t>(outputs[b] - 1)].values;
        for (size_t i = 0; i < sizes[b]; ++i) {
            EXPECT_NEAR(block["values"][i].number, values[static_cast<size_t>(firsts[b] - 1) + i],
                        5e-7);
        }
    }
    EXPECT_EQ(messages[4].topic, "qvm8/s1/buffer/12/done");
    test::Json done = ParseJson(messages[4].payload);
    EXPECT_EQ(done["blocks"].Int(), 4);
    EXPECT_EQ(done["out1_values"].Int(), 2500);
    EXPECT_EQ(done["out2_values"].Int(), 1000);
    EXPECT_EQ(done["out1_trigger_count"].Int(), 7);
    EXPECT_TRUE(done.Has("time"));
}

}  // namespace
}  // namespace zul::station
