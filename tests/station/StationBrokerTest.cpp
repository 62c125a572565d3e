// SPDX-License-Identifier: GPL-3.0-or-later
// qvm8-station end to end: the program against Debian's mosquitto and the emulated controller in
// the test process. Everything the station publishes is read back by a subscriber and compared
// with what the emulator holds: the status and its will, every measurement cycle, the settings
// drift against qvm8ctl's own comparison, the buffered values across broker restarts, and the
// controller lost and found again.
#include <gtest/gtest.h>

#include <cmath>
#include <regex>

#include "SimMemory.h"
#include "Simulator.h"
#include "StationTestSupport.h"

namespace zul::test {
namespace {

const std::string kId = "line4";
const std::string kPrefix = "qvm8/line4/";
const std::string kStatus = kPrefix + "status";
const std::string kMeasure = kPrefix + "measure";

bool Parse(const std::string& text, Json& json) {
    json = Json();
    JsonReader reader(text);
    return reader.Read(json);
}

// The payloads of the topic from message number from on, parsed.
std::vector<Json> PayloadsOn(const std::vector<Received>& all, const std::string& topic,
                             size_t from = 0) {
    std::vector<Json> found;
    for (size_t i = from; i < all.size(); ++i) {
        Json json;
        if (all[i].topic == topic && Parse(all[i].payload, json)) {
            found.push_back(std::move(json));
        }
    }
    return found;
}

// Waits for a message on the topic, from message number from on, whose payload satisfies want.
bool WaitForPayload(Subscriber& sub, const std::string& topic,
                    const std::function<bool(const Json&)>& want, size_t from,
                    std::chrono::milliseconds limit) {
    return sub.WaitFor(
        [&](const std::vector<Received>& all) {
            for (const Json& json : PayloadsOn(all, topic, from)) {
                if (want(json)) {
                    return true;
                }
            }
            return false;
        },
        limit);
}

bool IsController(const Json& status, const std::string& state) {
    return status["online"].boolean && status["controller"].text == state;
}

bool IsOffline(const Json& status) {
    return status.members.size() == 1 && status["online"].kind == Json::Kind::kBool &&
           !status["online"].boolean;
}

// The seq numbers of the measure messages are 1, 2, 3, ... without a gap or a repeat.
void ExpectEverySeq(const std::vector<Json>& measures) {
    for (size_t i = 0; i < measures.size(); ++i) {
        ASSERT_EQ(measures[i]["seq"].Int(), static_cast<int64_t>(i + 1)) << "message " << i;
    }
}

class StationBrokerTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.SetRestartTime(std::chrono::milliseconds(100));
        sim.SetFixedDisplacement(0, 1.25);
        sim.SetFixedDisplacement(1, -0.5);
        ResultInfo info;
        ASSERT_EQ(sim.StartPty(&info, home.Path("com1")), ZUL_OK) << info.detail1;
        ASSERT_TRUE(broker.Start());
    }

    std::vector<std::string> LinkArgs() const {
        return {"--device", home.Path("com1"), "--bcc", "--timeout", "0"};
    }
    std::vector<std::string> StationArgs(const std::vector<std::string>& extra) const {
        std::vector<std::string> args = {"--broker", broker.Address(), "--id",
                                         kId,        "--state",        home.Path("station")};
        const std::vector<std::string> link = LinkArgs();
        args.insert(args.end(), link.begin(), link.end());
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }
    // qvm8ctl on the emulator's line (while no station holds it): exit status and output.
    int Ctl(const std::vector<std::string>& args, std::string* output = nullptr) const {
        std::vector<std::string> all = {QVM8CTL_PROGRAM};
        const std::vector<std::string> link = LinkArgs();
        all.insert(all.end(), link.begin(), link.end());
        all.insert(all.end(), args.begin(), args.end());
        ChildProcess ctl;
        if (!ctl.Spawn(all)) {
            return -1;
        }
        int status = ctl.Wait(std::chrono::seconds(60));
        if (output != nullptr) {
            *output = ctl.Output();
        }
        return status;
    }
    // Runs a buffering request on the emulated controller as if it came over the line.
    void Buffering(const std::string& request) {
        std::string reply = sim.WithController([&](sim::SimController& c) {
            return c.Handle(request, 0).text;  // time 0: the controller's clock is not moved
        });
        ASSERT_EQ(reply.rfind("%EE$", 0), 0u) << request << " -> " << reply;
    }

    TestHome home;
    sim::Simulator sim;
    Broker broker{home.Path("broker")};
};

// The retained status says who the controller is (as `qvm8ctl --json info` prints it), that it
// is connected and in which bank it works; every cycle is one measure message with the next seq
// and the emulator's values; the drift message holds what `qvm8ctl diff` finds; a station killed
// outright leaves its will retained.
TEST_F(StationBrokerTest, StatusMeasuresDriftAndTheWillOfAKilledStation) {
    std::string infoText;
    ASSERT_EQ(Ctl({"--json", "info"}, &infoText), 0) << infoText;
    const Json info = ParseJson(infoText);
    const std::string reference = home.Path("line4.zul");
    ASSERT_EQ(Ctl({"read-all", "-o", reference}), 0);
    // One setting of bank 0 differs from the reference, and the controller works in bank 3.
    const uint32_t average = sim::OutputBlock(sim::BankAddress(0), 0) + sim::out::kAverageTimes;
    sim.WriteWord(average, sim.ReadWord(average) == 0 ? 1 : 0);
    sim.WriteWord(sim::kCurrentBankWord, 3);

    Subscriber sub(broker.Port());
    ASSERT_TRUE(sub.Start({kPrefix + "#"}));
    StationProcess station;
    ASSERT_TRUE(station.Start(
        StationArgs({"--cycle", "100", "--reference", reference, "--drift-every", "0"})));
    ASSERT_TRUE(sub.WaitForCount(kMeasure, 3, std::chrono::seconds(20))) << station.Log();
    sim.SetFixedDisplacement(0, 2.0);
    const size_t changed = sub.Messages().size();
    ASSERT_TRUE(WaitForPayload(
        sub, kMeasure, [](const Json& m) { return m["out1"]["value"].number == 2.0; }, changed,
        std::chrono::seconds(10)));
    ASSERT_TRUE(WaitForPayload(
        sub, kPrefix + "drift", [](const Json&) { return true; }, 0, std::chrono::seconds(30)))
        << station.Log();
    const size_t beforeKill = Subscriber::Count(sub.Messages(), kMeasure);

    station.Signal(SIGKILL);
    EXPECT_EQ(station.Wait(std::chrono::seconds(10)), 128 + SIGKILL);
    ASSERT_TRUE(WaitForPayload(sub, kStatus, IsOffline, 0, std::chrono::seconds(10)));

    const std::vector<Received> all = sub.Messages();
    // The first status: online, connected, bank 3 and the identification of qvm8ctl info.
    const std::vector<Json> statuses = PayloadsOn(all, kStatus);
    ASSERT_FALSE(statuses.empty());
    const Json& status = statuses.front();
    EXPECT_TRUE(IsController(status, "connected")) << all.front().payload;
    EXPECT_EQ(status["bank"].Int(), 3);
    for (const auto& [key, value] : info.members) {
        EXPECT_EQ(status[key].text, value.text) << key;
    }
    EXPECT_EQ(status["measure_dropped"].Int(), 0);

    const std::vector<Json> measures = PayloadsOn(all, kMeasure);
    ASSERT_GE(measures.size(), beforeKill);
    ExpectEverySeq(measures);
    const std::regex utc(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)");
    bool moved = false;
    for (const Json& m : measures) {
        EXPECT_TRUE(std::regex_match(m["time"].text, utc)) << m["time"].text;
        const double out1 = m["out1"]["value"].number;
        // 1.25 until the head moved to 2.0, then 2.0 only; OUT2 follows head B.
        moved = moved || out1 == 2.0;
        EXPECT_EQ(out1, moved ? 2.0 : 1.25) << "seq " << m["seq"].Int();
        EXPECT_EQ(m["out2"]["value"].number, -0.5);
        EXPECT_EQ(m["headA"]["laser_off"].kind, Json::Kind::kNumber);
    }
    EXPECT_TRUE(moved);

    // Retained now: the will, and the drift result.
    const std::vector<Received> retained = RetainedNow(broker.Port(), kPrefix + "#");
    std::map<std::string, std::string> kept;
    for (const Received& r : retained) {
        kept[r.topic] = r.payload;
    }
    ASSERT_EQ(kept.count(kStatus), 1u);
    EXPECT_TRUE(IsOffline(ParseJson(kept[kStatus]))) << kept[kStatus];
    ASSERT_EQ(kept.count(kPrefix + "drift"), 1u);
    const Json drift = ParseJson(kept[kPrefix + "drift"]);
    EXPECT_EQ(drift["reference"].text, reference);
    EXPECT_TRUE(std::regex_match(drift["time"].text, utc));

    // The same comparison as qvm8ctl's, now that the line is free again.
    std::string diffText;
    EXPECT_EQ(Ctl({"--json", "diff", "-i", reference}, &diffText), 65) << diffText;
    const Json diff = ParseJson(diffText);
    ASSERT_EQ(diff["differences"].items.size(), 1u) << diffText;
    EXPECT_EQ(drift["differences"].Int(), 1);
    EXPECT_EQ(drift["compared"].Int(), diff["compared"].Int());
    ASSERT_EQ(drift["items"].items.size(), 1u);
    for (const char* field : {"section", "key", "file", "controller"}) {
        EXPECT_EQ(drift["items"][0][field].text, diff["differences"][0][field].text) << field;
    }
    EXPECT_NE(drift["items"][0]["section"].text.find("OUT1"), std::string::npos);
}

// A controller that stops answering (a cable pulled at the far end) and one whose line hangs up
// are published as lost and, once they answer again, as connected; the cycles go on with the
// next seq. SIGTERM leaves {"online": false} retained.
TEST_F(StationBrokerTest, ControllerLostAndFoundAgainThenAnOrderlyStop) {
    Subscriber sub(broker.Port());
    ASSERT_TRUE(sub.Start({kPrefix + "#", "test/marker"}));
    StationProcess station;
    ASSERT_TRUE(station.Start(StationArgs({"--cycle", "100"})));
    ASSERT_TRUE(sub.WaitForCount(kMeasure, 3, std::chrono::seconds(20))) << station.Log();

    auto loseAndFind = [&](const sim::SimFaults& fault, const char* what) {
        size_t from = sub.Messages().size();
        sim.SetFaults(fault);
        ASSERT_TRUE(WaitForPayload(
            sub, kStatus, [](const Json& s) { return IsController(s, "lost"); }, from,
            std::chrono::seconds(10)))
            << what << "\n"
            << station.Log();
        from = sub.Messages().size();
        sim.SetFaults({});
        ASSERT_TRUE(WaitForPayload(
            sub, kStatus, [](const Json& s) { return IsController(s, "connected"); }, from,
            std::chrono::seconds(15)))
            << what << "\n"
            << station.Log();
        const size_t measures = Subscriber::Count(sub.Messages(), kMeasure);
        ASSERT_TRUE(sub.WaitForCount(kMeasure, measures + 3, std::chrono::seconds(10))) << what;
    };
    sim::SimFaults quiet;
    quiet.quietAfter = 1;
    loseAndFind(quiet, "quiet");
    sim::SimFaults hangup;
    hangup.hangupAfter = 1;
    hangup.hangupMs = 300;
    loseAndFind(hangup, "hang-up");

    station.Signal(SIGTERM);
    EXPECT_EQ(station.Wait(std::chrono::seconds(10)), 0) << station.Log();
    ASSERT_TRUE(sub.RoundTrip("test/marker"));
    const std::vector<Received> all = sub.Messages();
    ExpectEverySeq(PayloadsOn(all, kMeasure));
    const std::vector<Json> statuses = PayloadsOn(all, kStatus);
    ASSERT_FALSE(statuses.empty());
    EXPECT_TRUE(IsOffline(statuses.back()));
    const std::vector<Received> retained = RetainedNow(broker.Port(), kStatus);
    ASSERT_EQ(retained.size(), 1u);
    EXPECT_TRUE(IsOffline(ParseJson(retained[0].payload))) << retained[0].payload;
}

// Buffered values reach a historian (a persistent session) whole, in blocks of at most 1000
// values, with a done message that counts them: a run read while the broker is stopped waits
// on the disk and is sent once the station has found the broker again by itself; a run whose
// messages were in flight to a broker that died is sent again in full.
TEST_F(StationBrokerTest, BufferedValuesSurviveBrokerRestarts) {
    sim::TargetMotion wave;
    wave.baseMm = 1.0;
    wave.waveMm = 2.0;
    wave.waveHz = 7.0;
    sim.SetTarget(0, wave);
    wave.waveHz = 3.0;
    sim.SetTarget(1, wave);
    // Both outputs, 2300 values each, stored at once: three blocks per output.
    Buffering("%EE#WBD500000");
    Buffering("%EE#WTT500000");
    Buffering("%EE#WBC502300");

    Subscriber historian(broker.Port(), "historian", false);
    ASSERT_TRUE(historian.Start({kPrefix + "buffer/#"}));
    Subscriber sub(broker.Port());
    ASSERT_TRUE(sub.Start({kStatus}));
    StationProcess station;
    ASSERT_TRUE(station.Start(StationArgs({"--buffer"})));
    ASSERT_TRUE(WaitForPayload(
        sub, kStatus, [](const Json& s) { return IsController(s, "connected"); }, 0,
        std::chrono::seconds(20)))
        << station.Log();

    // Every block of the run as the emulator stored it, and the done message.
    auto checkRun = [&](int run) {
        const std::string runTopic = kPrefix + "buffer/" + std::to_string(run) + "/";
        ASSERT_TRUE(historian.WaitFor(
            [&](const std::vector<Received>& all) {
                return Subscriber::Count(all, runTopic + "done") > 0;
            },
            std::chrono::seconds(30)))
            << station.Log() << broker.Log();
        std::vector<int64_t> stored[2];
        for (int out = 0; out < 2; ++out) {
            stored[out] = sim.WithController(
                [out](sim::SimController& c) { return c.Buffering().Values(out); });
            ASSERT_EQ(stored[out].size(), 2300u);
        }
        // QoS 1 may bring a block twice across a restart; each block number counts once.
        std::map<int, Json> blocks;
        Json done;
        for (const Received& r : historian.Messages()) {
            if (r.topic.rfind(runTopic, 0) != 0) {
                continue;
            }
            const std::string block = r.topic.substr(runTopic.size());
            Json json = ParseJson(r.payload);
            if (block == "done") {
                done = json;
            } else {
                blocks[std::stoi(block)] = json;
            }
        }
        std::string seen;
        for (const Received& r : historian.Messages()) {
            seen += r.topic + (r.retained ? " (retained)\n" : "\n");
        }
        ASSERT_EQ(blocks.size(), 6u) << "run " << run << "\n" << seen;
        EXPECT_EQ(blocks.begin()->first, 1);
        EXPECT_EQ(blocks.rbegin()->first, 6);
        size_t next[2] = {1, 1};
        for (const auto& [number, json] : blocks) {
            EXPECT_EQ(json["run"].Int(), run);
            const int out = static_cast<int>(json["output"].Int()) - 1;
            ASSERT_TRUE(out == 0 || out == 1) << number;
            EXPECT_EQ(json["first"].Int(), static_cast<int64_t>(next[out])) << number;
            const std::vector<Json>& values = json["values"].items;
            EXPECT_LE(values.size(), 1000u);
            for (size_t i = 0; i < values.size() && next[out] + i <= 2300; ++i) {
                ASSERT_EQ(std::llround(values[i].number * 1e6), stored[out][next[out] + i - 1])
                    << "OUT" << out + 1 << " value " << next[out] + i;
            }
            next[out] += values.size();
        }
        EXPECT_EQ(next[0], 2301u);
        EXPECT_EQ(next[1], 2301u);
        EXPECT_EQ(done["run"].Int(), run);
        EXPECT_EQ(done["blocks"].Int(), 6);
        EXPECT_EQ(done["out1_values"].Int(), 2300);
        EXPECT_EQ(done["out2_values"].Int(), 2300);
    };

    // Run 1 while the broker is stopped: read, queued on the disk, sent after the reconnect.
    broker.Stop();
    Buffering("%EE#WBS000001");
    ASSERT_TRUE(station.WaitForLog("buffering run 1 queued", std::chrono::seconds(20)))
        << station.Log();
    EXPECT_EQ(std::distance(fs::directory_iterator(home.Path("station/outbox")),
                            fs::directory_iterator()),
              7);
    ASSERT_TRUE(broker.Start());
    checkRun(1);

    // Run 2 handed to a broker that has frozen (SIGSTOP) and then dies without saving: nothing
    // of it was acknowledged, so all of it is still on the disk and is sent again.
    broker.Signal(SIGSTOP);
    Buffering("%EE#WBS000001");
    ASSERT_TRUE(station.WaitForLog("buffering run 2 queued", std::chrono::seconds(20)))
        << station.Log();
    broker.Kill();
    EXPECT_EQ(std::distance(fs::directory_iterator(home.Path("station/outbox")),
                            fs::directory_iterator()),
              7);
    ASSERT_TRUE(broker.Start());
    checkRun(2);
    // Once the station has stopped, every acknowledgement before its last status is in: the
    // queue on the disk is empty.
    station.Signal(SIGTERM);
    EXPECT_EQ(station.Wait(std::chrono::seconds(10)), 0) << station.Log();
    EXPECT_TRUE(fs::is_empty(home.Path("station/outbox")));
}

}  // namespace
}  // namespace zul::test
