// SPDX-License-Identifier: GPL-3.0-or-later
// Frames, register access and memory banks, through real frames over a pseudo-terminal.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "SimFixture.h"

namespace zul::sim::test {
namespace {

using Protocol = SimFixture;

TEST_F(Protocol, AnswersWithEchoDataAndBlockCheck) {
    ASSERT_EQ(client.Ask("%EE#WMC000003"), "%EE$WMC");
    // Request and reply of the controller's own documentation example, byte for byte.
    EXPECT_EQ(WithBcc("%EE#RMC0"), "%EE#RMC06A");
    EXPECT_EQ(client.Request("%EE#RMC0"), "%EE$RMC000036E");
}

TEST_F(Protocol, RefusesWhatItCannotRead) {
    EXPECT_EQ(client.Ask("%EE#QQQ0"), "%EE!42");       // unknown command
    EXPECT_EQ(client.Ask("%EE#RMC"), "%EE!41");        // target missing
    EXPECT_EQ(client.Ask("%EE#WMC00003"), "%EE!41");   // value one digit short
    EXPECT_EQ(client.Ask("%EE#WMC00A003"), "%EE!41");  // not a number
    EXPECT_EQ(client.Ask("%EE#RMC7"), "%EE!60");       // no such target
    EXPECT_EQ(client.Ask("%EE#WMC000016"), "%EE!60");  // bank 16 does not exist
    EXPECT_EQ(client.Ask("%EE#RMB4"), "%EE!60");
    // Nothing of that changed the bank.
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00000");
}

TEST_F(Protocol, BlockCheckOnRefusesWrongOrMissingCheck) {
    client.WriteRaw("%EE#RMC06B\r");
    EXPECT_EQ(client.ReadFrame(), WithBcc("%EE!40"));
    client.WriteRaw("%EE#RMC0**\r");
    EXPECT_EQ(client.ReadFrame(), WithBcc("%EE!40"));
    // Lower-case hex is a valid check.
    client.WriteRaw("%EE#RMC06a\r");
    EXPECT_EQ(client.ReadFrame(), WithBcc("%EE$RMC00000"));
}

TEST_F(Protocol, BlockCheckOffIgnoresTheRequestCheck) {
    sim.SetBcc(false);
    EXPECT_EQ(client.Request("%EE#RMC0", false), WithBcc("%EE$RMC00000"));
    client.WriteRaw("%EE#RMC0ZZ\r");
    EXPECT_EQ(client.ReadFrame(), WithBcc("%EE$RMC00000"));
    sim.SetBcc(true);
    client.WriteRaw("%EE#RMC0ZZ\r");
    EXPECT_EQ(client.ReadFrame(), WithBcc("%EE!40"));
}

TEST_F(Protocol, SkipsNoiseBeforeTheFrame) {
    client.WriteRaw("\x01garbage" + WithBcc("%EE#RMC0") + "\r");
    EXPECT_EQ(client.ReadFrame(), WithBcc("%EE$RMC00000"));
    client.WriteRaw("%E%" + WithBcc("%EE#RMC0") + "\r");
    EXPECT_EQ(client.ReadFrame(), WithBcc("%EE$RMC00000"));
    // A line without a frame start gets no answer; the next frame does.
    client.WriteRaw("just noise\r" + WithBcc("%EE#RSP5") + "\r");
    EXPECT_EQ(client.ReadFrame(), WithBcc("%EE$RSP00000"));
}

TEST_F(Protocol, ServesRequestsOneAfterAnotherInOrder) {
    client.WriteRaw(WithBcc("%EE#WMC000005") + "\r" + WithBcc("%EE#RMC0") + "\r" +
                    WithBcc("%EE#RSP5") + "\r");
    EXPECT_EQ(client.ReadFrame(), WithBcc("%EE$WMC"));
    EXPECT_EQ(client.ReadFrame(), WithBcc("%EE$RMC00005"));
    EXPECT_EQ(client.ReadFrame(), WithBcc("%EE$RSP00000"));
    auto frames = sim.ReceivedFrames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[1], "%EE#RMC06A");
}

TEST_F(Protocol, IdentityRegisters) {
    auto words = Peek(118, 7);
    ASSERT_EQ(words.size(), 7u);
    std::string name;
    for (int i = 0; i < 6; ++i) {
        name += static_cast<char>(words[i] >> 8);
        name += static_cast<char>(words[i] & 0xFF);
    }
    EXPECT_EQ(name, "QV-M8       ");
    EXPECT_EQ(words[6], 0x0224);
    sim.SetFirmware(0x0123);
    EXPECT_EQ(client.Ask("%EE#RDD0012400124"), "%EE$RD2301");
    // Read-only: a write is refused and changes nothing.
    EXPECT_EQ(client.Ask("%EE#WDD00124001240000"), "%EE!66");
    EXPECT_EQ(sim.ReadWord(124), 0x0123);
}

TEST_F(Protocol, RegisterWritesReachMemoryAndReadBack) {
    Poke(2619, {1, 258});
    EXPECT_EQ(sim.ReadWord(2619), 1);
    EXPECT_EQ(sim.ReadWord(2620), 258);
    // The documented example frame, byte for byte.
    EXPECT_EQ(client.Ask("%EE#WDD026190262001000201"), "%EE$WD");
    sim.WriteWords(5000, {0x1234, 0xFFFF, 0});
    EXPECT_EQ(client.Ask("%EE#RDD0500005002"), "%EE$RD3412FFFF0000");
}

TEST_F(Protocol, RegisterBlockLimits) {
    // 123 words make a request of exactly 512 bytes: accepted.
    std::vector<uint16_t> words(123);
    for (size_t i = 0; i < words.size(); ++i) {
        words[i] = static_cast<uint16_t>(i * 7);
    }
    Poke(5000, words);
    EXPECT_EQ(sim.ReadWords(5000, 123), words);
    // 124 words are one frame too long.
    std::string text = "%EE#WDD0500005123" + std::string(124 * 4, '0');
    EXPECT_EQ(WithBcc(text).size() + 1, 516u);
    EXPECT_EQ(client.Ask(text), "%EE!43");
    EXPECT_EQ(sim.ReadWord(5001), 7);
    // Reads: 8122 words in one reply, 8123 refused.
    std::string reply = client.Ask("%EE#RDD0300011121");
    EXPECT_EQ(reply.size(), 6u + 4u * 8122u);
    EXPECT_EQ(client.Ask("%EE#RDD0300011122"), "%EE!43");
    // Outside the memory, or backwards.
    EXPECT_EQ(client.Ask("%EE#RDD1999920000"), "%EE!66");
    EXPECT_EQ(client.Ask("%EE#RDD0010000099"), "%EE!60");
    EXPECT_EQ(client.Ask("%EE#WDD00100001010000"), "%EE!60");  // one word for two addresses
    EXPECT_EQ(client.Ask("%EE#WDD0010000100ZZ00"), "%EE!41");
}

TEST_F(Protocol, BankSwitchCopiesBankIntoWorkingCopy) {
    uint32_t flood = HeadBlock(kWorkingCopy, 0) + head::kFloodLight;
    EXPECT_EQ(sim.ReadWord(flood), 50);
    Poke(flood, {77});
    ASSERT_EQ(client.Ask("%EE#WWR000001"), "%EE$WWR");
    EXPECT_EQ(sim.ReadWord(BankAddress(0) + head::kFloodLight), 77);
    // Bank 2 still has the factory value; switching shows it in the working copy.
    ASSERT_EQ(client.Ask("%EE#WMC000002"), "%EE$WMC");
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00002");
    EXPECT_EQ(sim.ReadWord(flood), 50);
    // An unsaved change is lost by switching away.
    Poke(flood, {33});
    ASSERT_EQ(client.Ask("%EE#WMC000000"), "%EE$WMC");
    EXPECT_EQ(sim.ReadWord(flood), 77);
    ASSERT_EQ(client.Ask("%EE#WMC000002"), "%EE$WMC");
    EXPECT_EQ(sim.ReadWord(flood), 50);
    EXPECT_EQ(client.Ask("%EE#WWR000002"), "%EE!60");
}

TEST_F(Protocol, MemoryChangePriorityBlocksBankSwitch) {
    EXPECT_EQ(client.Ask("%EE#RYU0"), "%EE$RYU00000");
    ASSERT_EQ(client.Ask("%EE#WYU000001"), "%EE$WYU");
    EXPECT_EQ(client.Ask("%EE#RYU0"), "%EE$RYU00001");
    EXPECT_EQ(client.Ask("%EE#WMC000004"), "%EE!63");
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00000");
}

TEST_F(Protocol, SystemCommandsKeepTheirOwnSettings) {
    const char* pairs[][2] = {{"RSA", "WSA"}, {"RSB", "WSB"}, {"RSC", "WSC"}, {"RPL", "WPL"},
                              {"RKS", "WKS"}, {"RKG", "WKG"}, {"RSE", "WSE"}, {"RSD", "WSD"}};
    const int values[] = {3, 1, 2, 1, 7, 5, 2, 4};
    for (size_t i = 0; i < 8; ++i) {
        ASSERT_EQ(client.Ask(std::string("%EE#") + pairs[i][1] + "0" + FormatDecimal(values[i], 5)),
                  std::string("%EE$") + pairs[i][1]);
    }
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(client.Ask(std::string("%EE#") + pairs[i][0] + "0"),
                  std::string("%EE$") + pairs[i][0] + FormatDecimal(values[i], 5));
    }
    EXPECT_EQ(client.Ask("%EE#WSC000003"), "%EE!60");  // parity has three choices
    // RemoteInterLock is word 147.
    sim.WriteWord(147, 1);
    EXPECT_EQ(client.Ask("%EE#RDD0014700147"), "%EE$RD0100");
}

// After an initialisation the controller restarts: the line stays open (the client keeps its
// descriptor and sees no hang-up), but a request during the restart is left unanswered.
TEST_F(Protocol, InitialiseBankRestoresDefaultsAndRestarts) {
    sim.SetRestartTime(std::chrono::milliseconds(1000));
    uint32_t flood = HeadBlock(kWorkingCopy, 0) + head::kFloodLight;
    ASSERT_EQ(client.Ask("%EE#WMC000003"), "%EE$WMC");
    Poke(flood, {90});
    ASSERT_EQ(client.Ask("%EE#WWR000001"), "%EE$WWR");
    Poke(BankAddress(5) + head::kFloodLight, {91});
    ASSERT_EQ(client.Ask("%EE#WIN000001"), "%EE$WIN");
    EXPECT_EQ(client.Request("%EE#RMC0", true, 200), "");
    EXPECT_TRUE(client.TimedOut());
    EXPECT_FALSE(client.HungUp());
    ASSERT_TRUE(sim.WaitOnline(std::chrono::milliseconds(3000)));
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00003");
    EXPECT_EQ(sim.ReadWord(flood), 50);
    EXPECT_EQ(sim.ReadWord(BankAddress(3) + head::kFloodLight), 50);
    EXPECT_EQ(sim.ReadWord(BankAddress(5) + head::kFloodLight), 91);  // other banks kept

    ASSERT_EQ(client.Ask("%EE#WIN000002"), "%EE$WIN");
    ASSERT_TRUE(sim.WaitOnline(std::chrono::milliseconds(3000)));
    EXPECT_EQ(sim.ReadWord(BankAddress(5) + head::kFloodLight), 50);
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00000");
    EXPECT_EQ(sim.ReadWord(124), 0x0224);  // identity survives
    // Both unanswered and answered requests were received.
    const std::vector<std::string> frames = sim.ReceivedFrames();
    EXPECT_EQ(std::count(frames.begin(), frames.end(), WithBcc("%EE#RMC0")), 3);
}

TEST_F(Protocol, LinkStaysOnTheLineAcrossRestart) {
    client.Close();
    sim.Stop();
    TempDir dir;
    std::string link = dir.Path() + "/ports/deeper/COM1";
    Simulator linked;
    linked.SetRestartTime(std::chrono::milliseconds(20));
    ResultInfo info;
    ASSERT_EQ(linked.StartPty(&info, link), ZUL_OK);
    ASSERT_TRUE(client.Open(link));
    const std::string before = linked.DevicePath();
    ASSERT_EQ(client.Ask("%EE#WIN000001"), "%EE$WIN");
    ASSERT_TRUE(linked.WaitOnline(std::chrono::milliseconds(2000)));
    EXPECT_EQ(linked.DevicePath(), before);
    EXPECT_EQ(client.Ask("%EE#RMC0"), "%EE$RMC00000");
    client.Close();
    linked.Stop();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(SimState, MemoryPersistsThroughStateFile) {
    TempDir dir;
    std::string path = dir.Path() + "/memory.state";
    uint32_t word = BankAddress(7) + 600 + common::kSamplingCycle;
    {
        Simulator sim;
        ResultInfo info;
        ASSERT_EQ(sim.SetStatePath(path, &info), ZUL_OK);
        ASSERT_EQ(sim.StartPty(&info), ZUL_OK);
        SimClient client(sim.DevicePath());
        ASSERT_EQ(client.Ask("%EE#WMC000007"), "%EE$WMC");
        ASSERT_EQ(client.Ask("%EE#WDD03200032000300"), "%EE$WD");
        ASSERT_EQ(client.Ask("%EE#WWR000001"), "%EE$WWR");
        EXPECT_TRUE(std::filesystem::exists(path));
        sim.Stop();
    }
    Simulator again;
    ResultInfo info;
    ASSERT_EQ(again.SetStatePath(path, &info), ZUL_OK);
    EXPECT_EQ(again.ReadWord(word), 3);
    EXPECT_EQ(again.ReadWord(kCurrentBankWord), 7);
    EXPECT_EQ(again.ReadWord(CommonBlock(kWorkingCopy) + common::kSamplingCycle), 3);

    // A file that is not a state file is refused and leaves the memory alone.
    std::string bad = dir.Path() + "/bad.state";
    { std::ofstream(bad) << "hello\n"; }
    Simulator third;
    EXPECT_NE(third.SetStatePath(bad, &info), ZUL_OK);
    EXPECT_EQ(third.ReadWord(kVersionWord), 0x0224);
}

}  // namespace
}  // namespace zul::sim::test

namespace zul::sim::test {
namespace {

// A serial device given by path: here the slave of a pseudo-terminal the test owns, with the
// test talking on the master side as the peer of a null-modem cable would.
TEST(SimDevice, ServesAGivenSerialDevice) {
    int master = -1;
    int slave = -1;
    char name[256] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    Simulator sim;
    ResultInfo info;
    ASSERT_EQ(sim.StartDevice(name, &info), ZUL_OK);
    EXPECT_EQ(sim.DevicePath(), name);
    ::close(slave);  // the emulator holds its own descriptor now
    std::string request = WithBcc("%EE#RDD0012400124") + "\r";
    ASSERT_EQ(::write(master, request.data(), request.size()), ssize_t(request.size()));
    std::string reply;
    while (reply.find('\r') == std::string::npos) {
        pollfd p{master, POLLIN, 0};
        ASSERT_GT(::poll(&p, 1, 2000), 0);
        char buffer[256];
        ssize_t n = ::read(master, buffer, sizeof buffer);
        ASSERT_GT(n, 0);
        reply.append(buffer, static_cast<size_t>(n));
    }
    EXPECT_EQ(reply, WithBcc("%EE$RD2402") + "\r");
    sim.Stop();
    ::close(master);

    Simulator missing;
    EXPECT_EQ(missing.StartDevice("/nonexistent/ttyS99", &info), ZUL_ERR_OS_RS_OPEN);
    EXPECT_EQ(info.osError, ENOENT);
}

}  // namespace
}  // namespace zul::sim::test
