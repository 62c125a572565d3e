// SPDX-License-Identifier: GPL-3.0-or-later
// The station's queue of messages for the broker on the disk: order, restarts, limits, damage.
#include "Outbox.h"

#include <gtest/gtest.h>

#include "app/AppTestSupport.h"

namespace zul::station {
namespace {

using test::TestHome;
namespace fs = std::filesystem;

std::vector<OutboxMessage> Messages(const std::string& kind, int count, size_t size = 10) {
    std::vector<OutboxMessage> messages;
    for (int i = 0; i < count; ++i) {
        OutboxMessage m;
        m.kind = kind;
        m.topic = "qvm8/s/" + kind + "/" + std::to_string(i + 1);
        m.payload = std::string(size, static_cast<char>('a' + i % 26));
        m.qos = 1;
        m.retain = kind == "drift";
        messages.push_back(m);
    }
    return messages;
}

TEST(Outbox, KeepsOrderAndSurvivesARestart) {
    TestHome home;
    const std::string folder = home.Path("state/outbox");
    std::vector<OutboxMessage> first = Messages("buffer", 3);
    // A payload with line ends and a NUL byte reads back as it was.
    first[1].payload = std::string("{\"a\": 1}\n\r\0tail", 15);
    {
        Outbox box;
        std::string error;
        ASSERT_TRUE(box.Open(folder, error)) << error;
        ASSERT_TRUE(box.Add(first, error)) << error;
        std::vector<OutboxMessage> second = Messages("drift", 1);
        ASSERT_TRUE(box.Add(second, error)) << error;
        EXPECT_EQ(first[0].number, 1u);
        EXPECT_EQ(first[2].number, 3u);
        EXPECT_EQ(second[0].number, 4u);
        box.Remove(1);
        EXPECT_EQ(box.Count(), 3u);
    }
    // What a restarted station finds: the three that were not acknowledged, in order.
    Outbox box;
    std::string error;
    ASSERT_TRUE(box.Open(folder, error)) << error;
    EXPECT_EQ(box.Numbers(), (std::vector<uint64_t>{2, 3, 4}));
    OutboxMessage m;
    ASSERT_TRUE(box.Load(2, m));
    EXPECT_EQ(m.payload, first[1].payload);
    EXPECT_EQ(m.topic, "qvm8/s/buffer/2");
    EXPECT_EQ(m.kind, "buffer");
    EXPECT_EQ(m.qos, 1);
    EXPECT_FALSE(m.retain);
    ASSERT_TRUE(box.Load(4, m));
    EXPECT_TRUE(m.retain);
    EXPECT_EQ(box.NextAfter(0), 2u);
    EXPECT_EQ(box.NextAfter(2), 3u);
    EXPECT_EQ(box.NextAfter(4), 0u);
    EXPECT_FALSE(box.Load(1, m));
    // Numbers go on after the highest one kept.
    std::vector<OutboxMessage> more = Messages("buffer", 1);
    ASSERT_TRUE(box.Add(more, error));
    EXPECT_EQ(more[0].number, 5u);
}

TEST(Outbox, UnfinishedAndDamagedFilesAtStart) {
    TestHome home;
    const std::string folder = home.Path("outbox");
    {
        Outbox box;
        std::string error;
        ASSERT_TRUE(box.Open(folder, error));
        std::vector<OutboxMessage> m = Messages("buffer", 3);
        ASSERT_TRUE(box.Add(m, error));
    }
    // A write that never finished, and a message cut short on the disk.
    test::WriteFileText(folder + "/00000000000000000004.msg.tmp", "QVM8-OUTBOX 1\nkind bu");
    const std::string second = folder + "/00000000000000000002.msg";
    std::string text = test::ReadFileText(second);
    test::WriteFileText(second, text.substr(0, text.size() - 3));
    Outbox box;
    std::string error;
    std::vector<std::string> aside;
    ASSERT_TRUE(box.Open(folder, error, &aside)) << error;
    EXPECT_EQ(box.Numbers(), (std::vector<uint64_t>{1, 3}));
    EXPECT_EQ(aside, std::vector<std::string>{second});
    EXPECT_TRUE(fs::exists(second + ".bad"));
    EXPECT_FALSE(fs::exists(folder + "/00000000000000000004.msg.tmp"));
}

TEST(Outbox, LimitsRefuseABatchAsAWhole) {
    TestHome home;
    Outbox box(OutboxLimits{5, 1u << 20});
    std::string error;
    ASSERT_TRUE(box.Open(home.Path("outbox"), error));
    std::vector<OutboxMessage> four = Messages("buffer", 4);
    ASSERT_TRUE(box.Add(four, error));
    EXPECT_TRUE(box.HasRoom(1, 10));
    EXPECT_FALSE(box.HasRoom(2, 10));
    std::vector<OutboxMessage> two = Messages("buffer", 2);
    EXPECT_FALSE(box.Add(two, error));
    EXPECT_NE(error.find("full"), std::string::npos) << error;
    EXPECT_EQ(box.Count(), 4u);
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(home.Path("outbox"))) {
        ++files;
    }
    EXPECT_EQ(files, 4u);  // nothing of the refused batch is left behind

    Outbox small(OutboxLimits{100, 400});
    ASSERT_TRUE(small.Open(home.Path("small"), error));
    std::vector<OutboxMessage> big = Messages("buffer", 1, 500);
    EXPECT_FALSE(small.Add(big, error));
    EXPECT_EQ(small.Count(), 0u);
}

TEST(Outbox, ANewerDriftReplacesTheOnesWaiting) {
    TestHome home;
    Outbox box;
    std::string error;
    ASSERT_TRUE(box.Open(home.Path("outbox"), error));
    std::vector<OutboxMessage> a = Messages("drift", 3);
    std::vector<OutboxMessage> b = Messages("buffer", 1);
    ASSERT_TRUE(box.Add(a, error));
    ASSERT_TRUE(box.Add(b, error));
    // Message 2 is with the broker already: it stays until acknowledged.
    EXPECT_EQ(box.DropKind("drift", {2}), 2u);
    EXPECT_EQ(box.Numbers(), (std::vector<uint64_t>{2, 4}));
    Outbox again;
    ASSERT_TRUE(again.Open(home.Path("outbox"), error));
    EXPECT_EQ(again.Numbers(), (std::vector<uint64_t>{2, 4}));
    EXPECT_EQ(again.Bytes(), box.Bytes());
}

TEST(Outbox, FileFormRefusesWhatIsNotAMessage) {
    OutboxMessage m;
    m.kind = "buffer";
    m.topic = "qvm8/x/buffer/1/1";
    m.payload = "{}";
    const std::string text = EncodeOutboxMessage(m);
    OutboxMessage back;
    ASSERT_TRUE(DecodeOutboxMessage(text, back));
    EXPECT_EQ(back.topic, m.topic);
    EXPECT_EQ(back.payload, "{}");
    EXPECT_FALSE(DecodeOutboxMessage(text + "x", back));          // longer than it says
    EXPECT_FALSE(DecodeOutboxMessage(text.substr(0, 20), back));  // cut
    EXPECT_FALSE(DecodeOutboxMessage("QVM8-OUTBOX 2\n" + text.substr(14), back));
    std::string badQos = text;
    badQos.replace(badQos.find("qos 1"), 5, "qos 7");
    EXPECT_FALSE(DecodeOutboxMessage(badQos, back));
}

}  // namespace
}  // namespace zul::station
