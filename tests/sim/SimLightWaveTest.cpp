// SPDX-License-Identifier: GPL-3.0-or-later
// Light-wave capture and the flood-light search.
#include <gtest/gtest.h>

#include <algorithm>

#include "SimFixture.h"

namespace zul::sim::test {
namespace {

using LightWave = SimFixture;

struct Frame {
    std::vector<uint16_t> header;  // 17201..17230
    std::vector<uint16_t> a, b;    // 1024 samples each
    std::vector<uint16_t> extra;   // 44, 45
};

Frame Capture(SimClient& client) {
    EXPECT_EQ(client.Ask("%EE#WDD17200172000100"), "%EE$WD");
    Frame frame;
    std::string r = client.Ask("%EE#RDD0004400045");
    EXPECT_EQ(r.size(), 14u);
    for (int i = 0; i < 2; ++i) {
        frame.extra.push_back(*ParseHexWord(r.substr(6 + 4 * i, 4)));
    }
    r = client.Ask("%EE#RDD1720019278");
    EXPECT_EQ(r.size(), 6u + 4u * 2079u);
    std::vector<uint16_t> w;
    for (size_t i = 0; i < 2079; ++i) {
        w.push_back(*ParseHexWord(r.substr(6 + 4 * i, 4)));
    }
    EXPECT_EQ(w[0], 0);  // the trigger word reads 0 once the capture is done
    frame.header.assign(w.begin() + 1, w.begin() + 31);
    frame.a.assign(w.begin() + 31, w.begin() + 31 + 1024);
    frame.b.assign(w.begin() + 31 + 1024, w.end());
    return frame;
}

int WidthAboveHalf(const std::vector<uint16_t>& s) {
    uint16_t peak = *std::max_element(s.begin(), s.end());
    return static_cast<int>(
        std::count_if(s.begin(), s.end(), [&](uint16_t v) { return v > peak / 2; }));
}

TEST_F(LightWave, CaptureShowsThePeakWhereTheTargetIs) {
    sim.SetFixedDisplacement(0, 0.0);
    sim.SetFixedDisplacement(1, 5.0);
    Samples(1);
    Frame f = Capture(client);
    auto peakA = std::max_element(f.a.begin(), f.a.end()) - f.a.begin() + 1;
    auto peakB = std::max_element(f.b.begin(), f.b.end()) - f.b.begin() + 1;
    EXPECT_NEAR(peakA, 512, 3);
    EXPECT_NEAR(peakB, 752, 3);  // half the range further along 480 cells
    // Header: peak cell and height per head, eight cell numbers within the element.
    EXPECT_EQ(f.header[0], peakA);
    EXPECT_EQ(f.header[1], peakB);
    EXPECT_EQ(f.header[2], *std::max_element(f.a.begin(), f.a.end()));
    for (int i = 4; i < 20; ++i) {
        EXPECT_GE(f.header[i], 1) << i;
        EXPECT_LE(f.header[i], 1024) << i;
    }
    EXPECT_LT(f.header[4], peakA);  // left edge
    EXPECT_GT(f.header[5], peakA);  // right edge
    EXPECT_EQ(f.extra[0], f.header[2]);
    // The background is low and noisy, not flat.
    EXPECT_LT(f.a[50], 60);
    EXPECT_NE(std::count(f.a.begin(), f.a.begin() + 200, f.a[0]), 200);
}

TEST_F(LightWave, FloodLightShapesThePeakAndLaserOffRemovesIt) {
    sim.SetFixedDisplacement(0, 0.0);
    Poke(HeadBlock(kWorkingCopy, 0) + head::kFloodLight, {20});
    Samples(1);
    Frame low = Capture(client);
    Poke(HeadBlock(kWorkingCopy, 0) + head::kFloodLight, {80});
    Samples(1);
    Frame high = Capture(client);
    EXPECT_GT(high.header[2], low.header[2] * 3);
    EXPECT_GT(WidthAboveHalf(high.a), WidthAboveHalf(low.a));

    ASSERT_EQ(client.Ask("%EE#WLR200001"), "%EE$WLR");
    Samples(1);
    Frame off = Capture(client);
    EXPECT_EQ(off.header[1], 0);  // no peak cell for Head B
    EXPECT_LT(*std::max_element(off.b.begin(), off.b.end()), 100);
    EXPECT_EQ(off.extra[1], 0);
    EXPECT_EQ(off.header[29], 1);  // Head B alarm code: laser off
}

TEST_F(LightWave, WritingAnythingElseDoesNotCapture) {
    EXPECT_EQ(client.Ask("%EE#WDD17200172000200"), "%EE$WD");
    EXPECT_EQ(sim.ReadWord(17200), 2);
    EXPECT_EQ(sim.ReadWord(kLightSamplesA + 500), 0);
}

TEST_F(LightWave, FloodLightSearchRunsAndReportsItsResult) {
    TargetMotion dark;
    dark.fixedMm = 0.5;
    dark.reflectance = 0.6;
    sim.SetTarget(1, dark);
    EXPECT_EQ(client.Ask("%EE#RFC2"), "%EE$RFC00000");
    ASSERT_EQ(client.Ask("%EE#WFC200001"), "%EE$WFC");
    EXPECT_EQ(client.Ask("%EE#WFC200001"), "%EE!63");
    std::string progress = client.Ask("%EE#RFC2");
    EXPECT_NE(progress, "%EE$RFC00000");
    EXPECT_EQ(client.Ask("%EE#RFB2"), "%EE!63");
    sim.AdvanceClock(std::chrono::milliseconds(1500));
    std::string later = client.Ask("%EE#RFC2");
    EXPECT_NE(later, "%EE$RFC00000");
    EXPECT_LT(later, progress);
    EXPECT_EQ(client.Ask("%EE#RFC1"), "%EE$RFC00000");  // Head A is not searching
    sim.AdvanceClock(std::chrono::milliseconds(1600));
    EXPECT_EQ(client.Ask("%EE#RFC2"), "%EE$RFC00000");
    // A peak of 3000 with reflectance 0.6 needs 3000 / (60 x 0.6) = 83.3, so 84 %.
    EXPECT_EQ(client.Ask("%EE#RFB2"), "%EE$RFB00084");
    EXPECT_EQ(sim.ReadWord(HeadBlock(kWorkingCopy, 1) + head::kFloodLight), 84);
    EXPECT_EQ(sim.ReadWord(HeadBlock(kWorkingCopy, 0) + head::kFloodLight), 50);
}

TEST_F(LightWave, FloodLightSearchFailsWithoutLight) {
    ASSERT_EQ(client.Ask("%EE#WLR100001"), "%EE$WLR");
    ASSERT_EQ(client.Ask("%EE#WFC100001"), "%EE$WFC");
    sim.AdvanceClock(std::chrono::milliseconds(3100));
    EXPECT_EQ(client.Ask("%EE#RFC1"), "%EE$RFC00000");
    EXPECT_EQ(client.Ask("%EE#RFB1"), "%EE$RFB00000");
    EXPECT_EQ(sim.ReadWord(HeadBlock(kWorkingCopy, 0) + head::kFloodLight), 50);
    EXPECT_EQ(client.Ask("%EE#WFC300001"), "%EE!60");
    EXPECT_EQ(client.Ask("%EE#WFC100002"), "%EE!60");
}

}  // namespace
}  // namespace zul::sim::test
