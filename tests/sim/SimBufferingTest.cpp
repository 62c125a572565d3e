// SPDX-License-Identifier: GPL-3.0-or-later
// Buffering runs from start to complete, and the delta-encoded value blocks.
#include <gtest/gtest.h>

#include <cmath>

#include "SimFixture.h"

namespace zul::sim::test {
namespace {

class Buffering : public SimFixture {
protected:
    void Configure(int mode, int type, int rate, int storeNum, int triggerPoint = 1) {
        ASSERT_EQ(client.Ask("%EE#WBD5" + FormatDecimal(mode, 5)), "%EE$WBD");
        ASSERT_EQ(client.Ask("%EE#WTT5" + FormatDecimal(type, 5)), "%EE$WTT");
        ASSERT_EQ(client.Ask("%EE#WBR5" + FormatDecimal(rate, 5)), "%EE$WBR");
        ASSERT_EQ(client.Ask("%EE#WBC5" + FormatDecimal(storeNum, 5)), "%EE$WBC");
        ASSERT_EQ(client.Ask("%EE#WTP5" + FormatDecimal(triggerPoint, 5)), "%EE$WTP");
    }
    std::string Word(const std::string& command) {
        std::string r = client.Ask(command);
        return r.size() == 12 ? r.substr(7) : r;
    }
    std::vector<double> ReadValues(int target, int first, int last) {
        std::string r = client.Ask("%EE#RLB" + std::to_string(target) + FormatDecimal(first, 5) +
                                   FormatDecimal(last, 5));
        EXPECT_EQ(r.substr(0, 7), "%EE$RLB");
        return DecodeBlock(r);
    }
};

TEST_F(Buffering, ImmediateRunStoresWhatTheOutputsMeasured) {
    Configure(0, 0, 2, 30);
    EXPECT_EQ(client.Ask("%EE#RBC5"), "%EE$RBC00030");
    EXPECT_EQ(Word("%EE#RBS0"), "00000");
    ASSERT_EQ(client.Ask("%EE#WBS000001"), "%EE$WBS");
    EXPECT_EQ(Word("%EE#RBS0"), "00001");
    EXPECT_EQ(Word("%EE#RTS3"), "00002");
    // Every second sample is stored; step Head A so each stored value is known.
    std::vector<double> expected;
    for (int i = 0; i < 30; ++i) {
        double mm = 1.0 + 0.000005 * i - (i % 3 == 0 ? 0.000012 : 0.0) + (i == 17 ? 2.5 : 0.0);
        sim.SetFixedDisplacement(0, mm);
        Samples(2);
        expected.push_back(std::round(mm * 1e6) / 1e6);
        if (i == 10) {
            EXPECT_EQ(Word("%EE#RTS3"), "00002");
            EXPECT_EQ(Word("%EE#RLD3"), "00011");
        }
    }
    EXPECT_EQ(Word("%EE#RTS3"), "00003");
    EXPECT_EQ(Word("%EE#RTS4"), "00003");
    EXPECT_EQ(Word("%EE#RLD3"), "00030");
    // The state words of the working copy follow.
    EXPECT_EQ(sim.ReadWord(OutputBlock(kWorkingCopy, 0) + out::kStateRead), 3);
    EXPECT_EQ(sim.ReadWord(OutputBlock(kWorkingCopy, 0) + out::kFinalDataPoint), 30);

    std::vector<double> values = ReadValues(3, 1, 30);
    ASSERT_EQ(values.size(), 30u);
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_NEAR(values[i], expected[i], 1e-9) << "value " << i + 1;
    }
    // A later block starts again from an absolute first value.
    std::vector<double> tail = ReadValues(3, 17, 19);
    ASSERT_EQ(tail.size(), 3u);
    EXPECT_NEAR(tail[0], expected[16], 1e-9);
    EXPECT_NEAR(tail[1], expected[17], 1e-9);
    EXPECT_NEAR(tail[2], expected[18], 1e-9);
    // OUT2 saw the still Head B.
    std::vector<double> out2 = ReadValues(4, 1, 30);
    ASSERT_EQ(out2.size(), 30u);
    EXPECT_NEAR(out2[29], 0.25, 1e-9);

    // Still running until stopped; then the data stays readable.
    EXPECT_EQ(Word("%EE#RBS0"), "00001");
    ASSERT_EQ(client.Ask("%EE#WBS000000"), "%EE$WBS");
    EXPECT_EQ(Word("%EE#RBS0"), "00000");
    EXPECT_EQ(Word("%EE#RTS3"), "00003");
    EXPECT_EQ(ReadValues(3, 30, 30).size(), 1u);
}

TEST_F(Buffering, BlockLimitsAndRefusals) {
    Configure(0, 1, 1, 3000);
    ASSERT_EQ(client.Ask("%EE#WBS000001"), "%EE$WBS");
    EXPECT_EQ(client.Ask("%EE#WBS000001"), "%EE!63");  // already running
    EXPECT_EQ(client.Ask("%EE#WBC500100"), "%EE!63");  // settings fixed while running
    EXPECT_EQ(client.Ask("%EE#WMC000001"), "%EE!63");
    EXPECT_EQ(client.Ask("%EE#RLB30000100001"), "%EE!63");  // not complete yet
    TargetMotion m;
    m.waveMm = 3.0;
    m.waveHz = 7.0;
    m.noiseMm = 0.01;
    sim.SetTarget(0, m);
    Samples(3000);
    EXPECT_EQ(Word("%EE#RTS3"), "00003");
    EXPECT_EQ(Word("%EE#RTS4"), "00000");  // not involved
    EXPECT_EQ(client.Ask("%EE#RLB40000100001"), "%EE!63");
    // The largest block: 2900 values in one reply below 32500 bytes.
    std::string r = client.Request("%EE#RLB30000102900");
    EXPECT_LT(r.size() + 1, 32500u);
    std::vector<double> values = DecodeBlock(r.substr(0, r.size() - 2));
    ASSERT_EQ(values.size(), 2900u);
    std::vector<int64_t> stored =
        sim.WithController([](SimController& c) { return c.Buffering().Values(0); });
    ASSERT_EQ(stored.size(), 3000u);
    for (size_t i = 0; i < values.size(); ++i) {
        ASSERT_EQ(std::llround(values[i] * 1e6), stored[i]) << "value " << i + 1;
    }
    EXPECT_EQ(client.Ask("%EE#RLB30000102901"), "%EE!60");  // 2901 values
    EXPECT_EQ(client.Ask("%EE#RLB30290003001"), "%EE!60");  // beyond the last
    EXPECT_EQ(client.Ask("%EE#RLB30000000001"), "%EE!60");  // values count from 1
    EXPECT_EQ(client.Ask("%EE#RLB5000010001"), "%EE!41");
}

TEST_F(Buffering, StartRefusesInconsistentSettings) {
    Configure(0, 0, 1, 32501);  // both outputs hold at most 32500 each
    EXPECT_EQ(client.Ask("%EE#WBS000001"), "%EE!60");
    EXPECT_EQ(Word("%EE#RBS0"), "00000");
    Configure(1, 1, 1, 100, 101);  // trigger point beyond the count
    EXPECT_EQ(client.Ask("%EE#WBS000001"), "%EE!60");
    EXPECT_EQ(client.Ask("%EE#WBC500000"), "%EE!60");
    EXPECT_EQ(client.Ask("%EE#WBD500006"), "%EE!60");
}

TEST_F(Buffering, TriggerPlacesTheEventAtTheTriggerPoint) {
    Configure(1, 1, 1, 10, 4);
    ASSERT_EQ(client.Ask("%EE#WTR300000"), "%EE$WTR");  // HI comes on
    EXPECT_EQ(client.Ask("%EE#RTR3"), "%EE$RTR00000");
    ASSERT_EQ(client.Ask("%EE#WTL5+0000000000"), "%EE$WTL");
    EXPECT_EQ(client.Ask("%EE#RTL5"), "%EE$RTL+0000000000");
    ASSERT_EQ(client.Ask("%EE#WBS000001"), "%EE$WBS");
    EXPECT_EQ(Word("%EE#RTS3"), "00001");  // waiting
    for (int i = 0; i < 20; ++i) {
        sim.SetFixedDisplacement(0, 1.0 + i * 0.001);
        Samples(1);
    }
    EXPECT_EQ(Word("%EE#RTS3"), "00001");
    EXPECT_EQ(Word("%EE#RLE3"), "00000");
    sim.SetFixedDisplacement(0, 6.0);  // above DecisionMax: HI comes on
    Samples(1);
    EXPECT_EQ(Word("%EE#RTS3"), "00002");
    EXPECT_EQ(Word("%EE#RLE3"), "00001");
    for (int i = 1; i <= 6; ++i) {
        sim.SetFixedDisplacement(0, 6.0 + i * 0.01);
        Samples(1);
    }
    EXPECT_EQ(Word("%EE#RTS3"), "00003");
    EXPECT_EQ(Word("%EE#RLD3"), "00010");
    std::vector<double> v = ReadValues(3, 1, 10);
    ASSERT_EQ(v.size(), 10u);
    EXPECT_NEAR(v[0], 1.017, 1e-9);  // three values before the trigger
    EXPECT_NEAR(v[2], 1.019, 1e-9);
    EXPECT_NEAR(v[3], 6.0, 1e-9);  // the trigger value is value number 4
    EXPECT_NEAR(v[9], 6.06, 1e-9);
}

TEST_F(Buffering, TriggerDelayAndSamplingTrigger) {
    Configure(3, 1, 1, 6);
    ASSERT_EQ(client.Ask("%EE#WSR500003"), "%EE$WSR");
    EXPECT_EQ(client.Ask("%EE#RSR5"), "%EE$RSR00003");
    ASSERT_EQ(client.Ask("%EE#WTR300005"), "%EE$WTR");  // timing input comes on
    ASSERT_EQ(client.Ask("%EE#WTL5+0000000002"), "%EE$WTL");
    ASSERT_EQ(client.Ask("%EE#WBS000001"), "%EE$WBS");
    Samples(5);
    EXPECT_EQ(Word("%EE#RLD3"), "00000");
    for (int burst = 0; burst < 2; ++burst) {
        ASSERT_EQ(client.Ask("%EE#WTI300001"), "%EE$WTI");
        for (int i = 0; i < 6; ++i) {
            sim.SetFixedDisplacement(0, burst * 1.0 + i * 0.1);
            Samples(1);
        }
        ASSERT_EQ(client.Ask("%EE#WTI300000"), "%EE$WTI");
        Samples(3);
    }
    EXPECT_EQ(Word("%EE#RLE3"), "00002");
    EXPECT_EQ(Word("%EE#RTS3"), "00003");
    // Each burst stores three values two ticks after its event; the timing input holds the
    // output at the value of the event's sample (without the hold they would be 0.2..0.4).
    std::vector<double> v = ReadValues(3, 1, 6);
    ASSERT_EQ(v.size(), 6u);
    EXPECT_NEAR(v[0], 0.0, 1e-9);
    EXPECT_NEAR(v[2], 0.0, 1e-9);
    EXPECT_NEAR(v[3], 1.0, 1e-9);
    EXPECT_NEAR(v[5], 1.0, 1e-9);
}

TEST_F(Buffering, ContinuousModeKeepsTheLastValuesUntilStopped) {
    Configure(2, 1, 1, 5);
    ASSERT_EQ(client.Ask("%EE#WBS000001"), "%EE$WBS");
    for (int i = 0; i < 12; ++i) {
        sim.SetFixedDisplacement(0, i * 0.5);
        Samples(1);
    }
    EXPECT_EQ(Word("%EE#RTS3"), "00002");
    ASSERT_EQ(client.Ask("%EE#WBS000000"), "%EE$WBS");
    EXPECT_EQ(Word("%EE#RTS3"), "00003");
    std::vector<double> v = ReadValues(3, 1, 5);
    ASSERT_EQ(v.size(), 5u);
    EXPECT_NEAR(v[0], 3.5, 1e-9);
    EXPECT_NEAR(v[4], 5.5, 1e-9);
}

TEST_F(Buffering, SelfStopSetting) {
    EXPECT_EQ(client.Ask("%EE#RSS0"), "%EE$RSS00001");
    ASSERT_EQ(client.Ask("%EE#WSS000000"), "%EE$WSS");
    EXPECT_EQ(client.Ask("%EE#RSS0"), "%EE$RSS00000");
    EXPECT_EQ(sim.ReadWord(205), 0);
    EXPECT_EQ(client.Ask("%EE#RSS5"), "%EE!60");
}

}  // namespace
}  // namespace zul::sim::test
