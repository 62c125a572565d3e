// SPDX-License-Identifier: GPL-3.0-or-later
// Injected faults, latency and line pacing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "SimFixture.h"

namespace zul::sim::test {
namespace {

using Faults = SimFixture;
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

TEST_F(Faults, CorruptBlockCheck) {
    SimFaults f;
    f.badBcc = 2;
    sim.SetFaults(f);
    for (int i = 0; i < 2; ++i) {
        std::string r = client.Request("%EE#RMC0");
        EXPECT_EQ(r.substr(0, 12), "%EE$RMC00000");
        EXPECT_FALSE(BccMatches(r)) << r;
    }
    EXPECT_TRUE(BccMatches(client.Request("%EE#RMC0")));
    EXPECT_EQ(sim.Faults().badBcc, 0);
}

TEST_F(Faults, NoiseBeforeTheReply) {
    SimFaults f;
    f.noise = 1;
    sim.SetFaults(f);
    std::string r = client.Request("%EE#RMC0");
    size_t start = r.rfind("%EE$");
    ASSERT_NE(start, std::string::npos);
    EXPECT_GT(start, 0u);
    EXPECT_EQ(r.substr(start), WithBcc("%EE$RMC00000"));
    EXPECT_EQ(client.Request("%EE#RMC0"), WithBcc("%EE$RMC00000"));
}

TEST_F(Faults, WrongEcho) {
    SimFaults f;
    f.wrongEcho = 2;
    sim.SetFaults(f);
    std::string r = client.Ask("%EE#RMC0");
    EXPECT_EQ(r.substr(0, 4), "%EE$");
    EXPECT_NE(r.substr(4, 3), "RMC");
    r = client.Ask("%EE#RDD0012400124");  // two-letter echo is changed in its letters too
    EXPECT_NE(r.substr(4, 2), "RD");
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00000");
}

TEST_F(Faults, SilentRequests) {
    SimFaults f;
    f.silent = 1;
    sim.SetFaults(f);
    std::string r = client.Request("%EE#RMC0", true, 300);
    EXPECT_TRUE(client.TimedOut());
    EXPECT_TRUE(r.empty());
    EXPECT_TRUE(sim.WaitForRequests(1, std::chrono::milliseconds(1000)));
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00000");
    EXPECT_EQ(sim.ReceivedFrames().size(), 2u);
}

TEST_F(Faults, GoesQuietAfterAnsweringAndKeepsTheLineOpen) {
    SimFaults f;
    f.quietAfter = 2;
    sim.SetFaults(f);
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00000");
    EXPECT_FALSE(sim.Faults().quiet);
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00000");
    EXPECT_TRUE(sim.Faults().quiet);
    for (int i = 0; i < 3; ++i) {
        std::string r = client.Request("%EE#RMC0", true, 200);
        EXPECT_TRUE(client.TimedOut()) << r;
        EXPECT_TRUE(r.empty()) << r;
    }
    // The requests still arrive: the line is open, only the controller does not answer.
    EXPECT_TRUE(sim.WaitForRequests(5, std::chrono::milliseconds(1000)));
    EXPECT_FALSE(client.HungUp());
    sim.SetFaults(SimFaults{});
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00000");
}

TEST_F(Faults, DelayedReplyAndLatency) {
    SimFaults f;
    f.delayed = 1;
    f.delayMs = 120;
    sim.SetFaults(f);
    auto start = Clock::now();
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00000");
    EXPECT_GE(MsSince(start), 120.0);
    sim.SetLatency(std::chrono::milliseconds(60));
    start = Clock::now();
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00000");
    EXPECT_GE(MsSince(start), 60.0);
}

TEST_F(Faults, SplitReplies) {
    SimFaults f;
    f.splitBytes = 5;
    f.splitPauseMs = 15;
    sim.SetFaults(f);
    auto start = Clock::now();
    std::string r = client.Request("%EE#RMC0");  // 15 bytes: three chunks, two pauses
    EXPECT_EQ(r, WithBcc("%EE$RMC00000"));
    // The two pauses are the evidence; how many reads the client needed depends on when it is
    // scheduled, so it is not asserted.
    EXPECT_GE(MsSince(start), 30.0);
}

TEST_F(Faults, HangUpAndComeBack) {
    SimFaults f;
    f.hangupAfter = 2;
    f.hangupMs = 50;
    sim.SetFaults(f);
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00000");
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00000");  // the last reply still leaves
    client.ReadFrame(1000);
    EXPECT_TRUE(client.HungUp());
    ASSERT_TRUE(sim.WaitOnline(std::chrono::milliseconds(2000)));
    ASSERT_TRUE(client.Open(sim.DevicePath()));
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00000");
}

// While the line is down its link names nothing: the closed pseudo-terminal may go to another
// program in the meantime. Once the line is back, the link names the new one.
TEST(FaultsWithLink, LinkIsGoneWhileTheLineIsDown) {
    const std::string link = ::testing::TempDir() + "qvm8-sim-link-" + std::to_string(::getpid());
    Simulator sim;
    ResultInfo info;
    ASSERT_EQ(sim.StartPty(&info, link), ZUL_OK) << info.detail1;
    SimClient client;
    ASSERT_TRUE(client.Open(link));
    SimFaults f;
    f.hangupAfter = 1;
    f.hangupMs = 1000;
    sim.SetFaults(f);
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00000");
    client.ReadFrame(2000);
    ASSERT_TRUE(client.HungUp());
    std::error_code ec;
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link, ec)));
    ASSERT_TRUE(sim.WaitOnline(std::chrono::milliseconds(5000)));
    EXPECT_EQ(std::filesystem::read_symlink(link, ec).string(), sim.DevicePath());
    sim.Stop();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link, ec)));
}

TEST_F(Faults, PaceFollowsTheLineSpeed) {
    // 9600 baud, 8N1: 10 bits, about 1.04 ms per character.
    ASSERT_TRUE(client.Open(sim.DevicePath(), B9600));
    sim.SetPace(true);
    auto start = Clock::now();
    std::string r = client.Request("%EE#RDD0300003019");  // 18 + 2 + 1 bytes in
    EXPECT_EQ(r.size() + 1, 6u + 80u + 3u);               // 89 bytes out
    double expected = (21 + 89) * 10.0 / 9600.0 * 1000.0;
    const double slow = MsSince(start);
    EXPECT_GE(slow, expected * 0.95);
    // A fixed speed overrides the line's own: the same exchange is faster than the paced one
    // (compared with it rather than with a fixed time, which a loaded machine may exceed).
    sim.SetPace(true, 115200);
    start = Clock::now();
    r = client.Request("%EE#RDD0300003019");
    EXPECT_LT(MsSince(start), slow);
    EXPECT_EQ(r.size() + 1, 89u);
}

}  // namespace
}  // namespace zul::sim::test
