// SPDX-License-Identifier: GPL-3.0-or-later
// Live measurement: outputs computed from the heads, zero-set, offset, judgement with
// hysteresis, alarms, inputs, calibration and scaling.
#include <gtest/gtest.h>

#include "SimFixture.h"

namespace zul::sim::test {
namespace {

using Measure = SimFixture;

constexpr uint32_t kOut1 = OutputBlock(kWorkingCopy, 0);
constexpr uint32_t kOut2 = OutputBlock(kWorkingCopy, 1);

struct Snapshot {
    std::string value[2];
    std::string flags[2];  // STROBE HI GO LOW EXT ALARM
};

Snapshot Read(SimClient& client) {
    std::string r = client.Ask("%EE#RMB5");
    Snapshot s;
    if (r.size() != 7 + 34) {
        ADD_FAILURE() << "RMB5 reply " << r;
        return s;
    }
    for (int o = 0; o < 2; ++o) {
        s.value[o] = r.substr(7 + 17 * o, 11);
        s.flags[o] = r.substr(18 + 17 * o, 6);
    }
    return s;
}

TEST_F(Measure, OutputsFollowTheHeads) {
    Snapshot s = Read(client);
    EXPECT_EQ(s.value[0], "+001.500000");
    EXPECT_EQ(s.value[1], "+000.250000");
    EXPECT_EQ(s.flags[0].substr(1), "01000");  // GO, no alarm
    EXPECT_EQ(client.Ask("%EE#RMD3"), "%EE$RMD+001.500000");
    EXPECT_EQ(client.Ask("%EE#RMD2"), "%EE$RMD+000.250000");

    // Thickness-style calculations from both heads.
    Poke(kOut1 + out::kOutPattern, {4});
    Poke(kOut2 + out::kOutPattern, {5});
    Samples(1);
    s = Read(client);
    EXPECT_EQ(s.value[0], "+001.750000");
    EXPECT_EQ(s.value[1], "+001.250000");
    Poke(kOut2 + out::kOutPattern, {6});
    Poke(kOut1 + out::kOutPattern, {7});
    PokeLong(kOut1 + out::kCalcRef, 5000000);
    Samples(1);
    s = Read(client);
    EXPECT_EQ(s.value[0], "+003.250000");
    EXPECT_EQ(s.value[1], "-001.250000");
}

TEST_F(Measure, MovingAverageOverTheConfiguredSamples) {
    Poke(kOut1 + out::kAverageTimes, {2});  // 4 samples
    sim.SetFixedDisplacement(0, 0.0);
    Samples(8);
    EXPECT_EQ(Read(client).value[0], "+000.000000");
    sim.SetFixedDisplacement(0, 4.0);
    const char* expected[] = {"+001.000000", "+002.000000", "+003.000000", "+004.000000",
                              "+004.000000"};
    for (const char* e : expected) {
        Samples(1);
        EXPECT_EQ(Read(client).value[0], e);
    }
    EXPECT_EQ(Read(client).value[1], "+000.250000");  // OUT2 does not average
    // Another filter selection does not average.
    Poke(kOut1 + out::kFilterSelect, {1});
    sim.SetFixedDisplacement(0, 1.0);
    Samples(1);
    EXPECT_EQ(Read(client).value[0], "+001.000000");
}

TEST_F(Measure, StrobeTogglesWithEverySample) {
    std::string first = Read(client).flags[0].substr(0, 1);
    Samples(1);
    std::string second = Read(client).flags[0].substr(0, 1);
    Samples(1);
    std::string third = Read(client).flags[0].substr(0, 1);
    EXPECT_NE(first, second);
    EXPECT_EQ(first, third);
}

TEST_F(Measure, MovingTargetChangesTheValue) {
    TargetMotion m;
    m.waveMm = 1.0;
    m.waveHz = 10.0;
    sim.SetTarget(0, m);
    Samples(250);  // about a quarter period of 10 Hz: near the crest
    EXPECT_NEAR(std::stod(Read(client).value[0]), 1.0, 0.002);
    Samples(500);
    EXPECT_NEAR(std::stod(Read(client).value[0]), -1.0, 0.002);
}

TEST_F(Measure, ZeroSetAndOffset) {
    ASSERT_EQ(client.Ask("%EE#WZS300001"), "%EE$WZS");
    Samples(1);
    EXPECT_EQ(Read(client).value[0], "+000.000000");
    EXPECT_EQ(client.Ask("%EE#RZS3"), "%EE$RZS00001");
    EXPECT_EQ(client.Ask("%EE#RZS4"), "%EE$RZS00000");
    // The offset registers the measurement poll reads (low word first).
    auto zs = Peek(2807, 2);
    EXPECT_EQ(int32_t(uint32_t(zs[0]) | (uint32_t(zs[1]) << 16)), 1500000);
    sim.SetFixedDisplacement(0, 2.0);
    Samples(1);
    EXPECT_EQ(Read(client).value[0], "+000.500000");
    PokeLong(kOut1 + out::kOffset, -250000);
    Samples(1);
    EXPECT_EQ(Read(client).value[0], "+000.250000");
    ASSERT_EQ(client.Ask("%EE#WZS300000"), "%EE$WZS");
    Samples(1);
    EXPECT_EQ(Read(client).value[0], "+001.750000");
    EXPECT_EQ(Peek(2807, 2), (std::vector<uint16_t>{0, 0}));
    EXPECT_EQ(client.Ask("%EE#WZS300002"), "%EE!60");
}

TEST_F(Measure, JudgementWithHysteresis) {
    // Limits +-5 mm, hysteresis 0.01 mm by default; make them explicit.
    PokeLong(kOut1 + out::kDecisionMax, 5000000);
    PokeLong(kOut1 + out::kDecisionMin, -5000000);
    PokeLong(kOut1 + out::kHysteresisMax, 10000);
    PokeLong(kOut1 + out::kHysteresisMin, 20000);
    auto flagsAt = [&](double mm) {
        sim.SetFixedDisplacement(0, mm);
        Samples(1);
        return Read(client).flags[0].substr(1, 3);  // HI GO LOW
    };
    EXPECT_EQ(flagsAt(4.999), "010");
    EXPECT_EQ(flagsAt(5.001), "100");
    EXPECT_EQ(flagsAt(4.995), "100");  // inside the hysteresis band: stays HI
    EXPECT_EQ(flagsAt(4.989), "010");
    EXPECT_EQ(flagsAt(-5.001), "001");
    EXPECT_EQ(flagsAt(-4.985), "001");  // band of 0.02 below
    EXPECT_EQ(flagsAt(-4.979), "010");
}

TEST_F(Measure, LaserOffAndRangeRaiseAlarm) {
    EXPECT_EQ(client.Ask("%EE#RLR1"), "%EE$RLR00000");
    ASSERT_EQ(client.Ask("%EE#WLR100001"), "%EE$WLR");
    EXPECT_EQ(client.Ask("%EE#RLR1"), "%EE$RLR00001");
    EXPECT_EQ(sim.ReadWord(HeadBlock(kWorkingCopy, 0) + head::kLaserOff), 1);
    Samples(1);
    Snapshot s = Read(client);
    EXPECT_EQ(s.value[0], "+999.999999");
    EXPECT_EQ(s.flags[0].substr(1), "00001");
    EXPECT_EQ(s.flags[1].substr(1), "01000");  // OUT2 uses Head B only
    EXPECT_EQ(client.Ask("%EE#ROA3"), "%EE$ROA00001");
    EXPECT_EQ(client.Ask("%EE#ROA4"), "%EE$ROA00000");
    // A zero-set is not possible on an output in alarm.
    EXPECT_EQ(client.Ask("%EE#WZS300001"), "%EE!63");
    ASSERT_EQ(client.Ask("%EE#WLR100000"), "%EE$WLR");

    sim.SetFixedDisplacement(1, 12.0);
    Samples(1);
    s = Read(client);
    EXPECT_EQ(s.flags[0].substr(5), "0");
    EXPECT_EQ(s.flags[1].substr(5), "1");
    EXPECT_EQ(client.Ask("%EE#ROA4"), "%EE$ROA00002");
    EXPECT_EQ(client.Ask("%EE#WLR300001"), "%EE!60");
}

TEST_F(Measure, TimingHoldsAndResetClears) {
    ASSERT_EQ(client.Ask("%EE#WTI300001"), "%EE$WTI");
    EXPECT_EQ(client.Ask("%EE#RTI3"), "%EE$RTI00001");
    Samples(1);
    sim.SetFixedDisplacement(0, 3.0);
    Samples(1);
    EXPECT_EQ(Read(client).value[0], "+001.500000");
    ASSERT_EQ(client.Ask("%EE#WTI300000"), "%EE$WTI");
    Samples(1);
    EXPECT_EQ(Read(client).value[0], "+003.000000");

    ASSERT_EQ(client.Ask("%EE#WRS400001"), "%EE$WRS");
    EXPECT_EQ(client.Ask("%EE#RRS4"), "%EE$RRS00001");
    Samples(1);
    Snapshot s = Read(client);
    EXPECT_EQ(s.value[1], "+000.000000");
    EXPECT_EQ(s.flags[1].substr(1, 3), "000");
    ASSERT_EQ(client.Ask("%EE#WRS400000"), "%EE$WRS");
    Samples(1);
    EXPECT_EQ(Read(client).value[1], "+000.250000");
}

TEST_F(Measure, CalibrationCorrectsTheHead) {
    // Raw 1.0 should read 1.1 and raw 3.0 should read 3.5: gain 1.2, shift -0.1.
    ASSERT_EQ(client.Ask("%EE#WCA1+001.000000"), "%EE$WCA");
    ASSERT_EQ(client.Ask("%EE#WCB1+003.000000"), "%EE$WCB");
    ASSERT_EQ(client.Ask("%EE#WHA1+001.100000"), "%EE$WHA");
    ASSERT_EQ(client.Ask("%EE#WHB1+003.500000"), "%EE$WHB");
    Samples(1);
    EXPECT_EQ(client.Ask("%EE#RMD1"), "%EE$RMD+001.500000");  // not in force before execute
    ASSERT_EQ(client.Ask("%EE#WCE100001"), "%EE$WCE");
    Samples(1);
    EXPECT_EQ(client.Ask("%EE#RMD1"), "%EE$RMD+001.700000");
    EXPECT_EQ(Read(client).value[0], "+001.700000");
    EXPECT_EQ(sim.ReadWord(HeadBlock(kWorkingCopy, 0) + head::kCalibMeasure2), 3000000 & 0xFFFF);
    // While calibrating (word 19 set) the head reports raw values.
    Poke(2619, {1});
    Samples(1);
    EXPECT_EQ(client.Ask("%EE#RMD1"), "%EE$RMD+001.500000");
    // A set with equal measure points is refused and the old calibration stays.
    ASSERT_EQ(client.Ask("%EE#WCA1+002.000000"), "%EE$WCA");
    ASSERT_EQ(client.Ask("%EE#WCB1+002.000000"), "%EE$WCB");
    EXPECT_EQ(client.Ask("%EE#WCE100001"), "%EE!61");
    EXPECT_EQ(sim.ReadWord(2619), 0);
    Samples(1);
    EXPECT_EQ(client.Ask("%EE#RMD1"), "%EE$RMD+001.700000");
    // Cancel drops written points.
    ASSERT_EQ(client.Ask("%EE#WCA1+009.000000"), "%EE$WCA");
    ASSERT_EQ(client.Ask("%EE#WCE100002"), "%EE$WCE");
    ASSERT_EQ(client.Ask("%EE#WCE100001"), "%EE$WCE");  // re-applies the stored set
    Samples(1);
    EXPECT_EQ(client.Ask("%EE#RMD1"), "%EE$RMD+001.700000");
    EXPECT_EQ(client.Ask("%EE#WCA3+001.000000"), "%EE!60");
    EXPECT_EQ(client.Ask("%EE#WCA1+1.0"), "%EE!41");
}

TEST_F(Measure, ScalingChangesTheOutputRegisters) {
    ASSERT_EQ(client.Ask("%EE#WAH4-005.000000"), "%EE$WAH");
    ASSERT_EQ(client.Ask("%EE#WAL4+005.000000"), "%EE$WAL");
    ASSERT_EQ(client.Ask("%EE#WVH4-001.234500"), "%EE$WVH");
    ASSERT_EQ(client.Ask("%EE#WVL4+004.000000"), "%EE$WVL");
    ASSERT_EQ(client.Ask("%EE#WAS400001"), "%EE$WAS");
    auto words = Peek(kOut2 + out::kScalingMeasure1, 8);
    auto longAt = [&](int i) {
        return int32_t(uint32_t(words[i]) | (uint32_t(words[i + 1]) << 16));
    };
    EXPECT_EQ(longAt(0), -5000000);
    EXPECT_EQ(longAt(2), 5000000);
    EXPECT_EQ(longAt(4), -1234500);
    EXPECT_EQ(longAt(6), 4000000);
    // Voltages in thousandths, rounded half away from zero.
    EXPECT_EQ(int16_t(sim.ReadWord(kOut2 + out::kVoltage1Thousandths)), -1235);
    EXPECT_EQ(int16_t(sim.ReadWord(kOut2 + out::kVoltage2Thousandths)), 4000);
    // OUT1 untouched.
    EXPECT_EQ(sim.ReadWord(kOut1 + out::kVoltage1Thousandths), uint16_t(-10000));

    ASSERT_EQ(client.Ask("%EE#WVH4+004.000000"), "%EE$WVH");
    EXPECT_EQ(client.Ask("%EE#WAS400001"), "%EE!61");  // equal voltages
    EXPECT_EQ(int16_t(sim.ReadWord(kOut2 + out::kVoltage1Thousandths)), -1235);
    EXPECT_EQ(client.Ask("%EE#WAS100001"), "%EE!60");
}

}  // namespace
}  // namespace zul::sim::test
