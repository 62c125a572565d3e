// SPDX-License-Identifier: GPL-3.0-or-later
// qvm8ctl end to end: the program against the emulated controller, every exit status path.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <regex>

#include "SimMemory.h"
#include "Simulator.h"
#include "TamperedController.h"
#include "app/AppTestSupport.h"
#include "app/SettingsFileRegistry.h"
#include "base/NumberText.h"
#include "settings/UiDefinition.h"

extern char** environ;

namespace zul::test {
namespace {

struct CtlRun {
    int status = -1;
    std::string out;
    std::string err;
};

CtlRun RunCtl(const TestHome& home, std::vector<std::string> args) {
    static int counter = 0;
    const std::string outPath = home.Path("stdout" + std::to_string(++counter));
    const std::string errPath = home.Path("stderr" + std::to_string(counter));
    args.insert(args.begin(), QVM8CTL_PROGRAM);
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    CtlRun run;
    pid_t pid = 0;
    if (posix_spawn(&pid, QVM8CTL_PROGRAM, &actions, nullptr, argv.data(), environ) != 0) {
        ADD_FAILURE() << "cannot start qvm8ctl";
        return run;
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFileText(outPath);
    run.err = ReadFileText(errPath);
    return run;
}

size_t Lines(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

class CtlTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim.SetRestartTime(std::chrono::milliseconds(100));
        ResultInfo info;
        ASSERT_EQ(sim.StartPty(&info, home.Path("com1")), ZUL_OK);
    }
    void TearDown() override { sim.Stop(); }

    CtlRun Ctl(std::vector<std::string> args) {
        std::vector<std::string> all = {"--device", home.Path("com1"), "--bcc", "--timeout", "0"};
        all.insert(all.end(), args.begin(), args.end());
        return RunCtl(home, all);
    }

    TestHome home;
    sim::Simulator sim;
};

TEST(CtlUsage, UsageErrorsExitWith64AndHelpListsEveryCommand) {
    TestHome home;
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate"},
                                               {"read-all"},
                                               {"read-all", "-o"},
                                               {"--baud", "7", "info"},
                                               {"--parity", "mark", "info"},
                                               {"--data-bits", "6", "info"},
                                               {"--timeout", "5", "info"},
                                               {"--timeout", " 1", "info"},
                                               {"--baud", "0x1", "info"},
                                               {"--baud", "1.0", "info"},
                                               {"--settings", "x.txt", "info"},
                                               {"info", "extra"},
                                               {"init-mem", "--everything"},
                                               {"send"},
                                               {"--bogus", "info"}}) {
        CtlRun run = RunCtl(home, args);
        std::string joined;
        for (const std::string& a : args) {
            joined += a + " ";
        }
        EXPECT_EQ(run.status, 64) << joined;
        EXPECT_NE(run.err.find("usage: qvm8ctl"), std::string::npos) << joined;
        EXPECT_TRUE(run.out.empty()) << joined;
    }
    CtlRun help = RunCtl(home, {"--help"});
    EXPECT_EQ(help.status, 0);
    for (const char* command :
         {"info", "read-all -o OUT.zul", "write-all [-i IN.zul]", "read-system [-o OUT.zul]",
          "write-system [-i IN.zul]", "save-mem", "init-mem [--all]", "send TEXT"}) {
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    }
    // Nothing was written for a usage error or the help.
    EXPECT_FALSE(fs::exists(home.DefaultSettingsFile()));
}

TEST_F(CtlTest, InfoPlainAndJson) {
    CtlRun run = Ctl({"info"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("type: QV-M8\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("version: 2.24\n"), std::string::npos);
    run = Ctl({"--json", "info"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.out), 1u);
    EXPECT_NE(run.out.find("\"type\": \"QV-M8\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"version\": \"2.24\""), std::string::npos);
    EXPECT_NE(run.out.find("\"sensor_a\": \""), std::string::npos);
    EXPECT_NE(run.out.find("\"sensor_b\": \""), std::string::npos);
    EXPECT_NE(run.out.find("\"version_word\": 548"), std::string::npos);
    EXPECT_FALSE(fs::exists(home.DefaultSettingsFile()));  // no file it was not asked for
}

TEST_F(CtlTest, SilentControllerTimesOut) {
    sim::SimFaults faults;
    faults.silent = 1000;
    sim.SetFaults(faults);
    CtlRun run = Ctl({"info"});
    EXPECT_EQ(run.status, ZUL_ERR_COMM_TIMEOUT);
    EXPECT_EQ(run.err.rfind("qvm8ctl: ZUL_ERR_COMM_TIMEOUT: ", 0), 0u) << run.err;
    EXPECT_EQ(Lines(run.err), 1u);
}

TEST_F(CtlTest, ErrorReplyAndSend) {
    CtlRun run = Ctl({"send", "%EE#XYZ0"});
    EXPECT_EQ(run.status, ZUL_ERR_COMM_RES);
    EXPECT_EQ(run.err.rfind("qvm8ctl: ZUL_ERR_COMM_RES: ", 0), 0u) << run.err;
    EXPECT_EQ(Lines(run.err), 1u);

    sim.WithController([](sim::SimController& c) { c.Memory().SelectBank(6); });
    run = Ctl({"send", "%EE#RMC0"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "reply: %EE$RMC00006\n");
    run = Ctl({"--json", "send", "%EE#RDD0012400124"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"reply\": \"%EE$RD2402\""), std::string::npos) << run.out;
}

TEST_F(CtlTest, MissingDeviceFailsToOpen) {
    CtlRun run = RunCtl(home, {"--device", home.Path("nothing-here"), "info"});
    EXPECT_GE(run.status, 1);
    EXPECT_LE(run.status, 35);
    EXPECT_EQ(run.err.rfind("qvm8ctl: ZUL_ERR_", 0), 0u) << run.err;
}

TEST_F(CtlTest, UnplugDuringReadAllLeavesNoFile) {
    sim::SimFaults faults;
    faults.hangupAfter = 20;  // identification, then a few blocks
    faults.hangupMs = 5000;
    sim.SetFaults(faults);
    CtlRun run = Ctl({"read-all", "-o", home.Path("out/settings.zul")});
    EXPECT_GE(run.status, 1) << run.err;
    EXPECT_LE(run.status, 35);
    EXPECT_EQ(run.err.rfind("qvm8ctl: ZUL_ERR_", 0), 0u) << run.err;
    EXPECT_FALSE(fs::exists(home.Path("out/settings.zul")));
    if (fs::exists(home.Path("out"))) {
        EXPECT_TRUE(fs::is_empty(home.Path("out")));
    }
}

TEST_F(CtlTest, ReadAllSavesTheControllerWithTheFilesOwnLinkSettings) {
    const std::string settings = home.Path("my.zul");
    WriteFileText(settings, "[FORM_SOFTWARE]\r\nCommunicationType=0\r\nUsbConnect=Bench 4\r\n");
    const std::string before = ReadFileText(settings);
    sim.WithController([](sim::SimController& c) {
        c.Memory().SetLong(3400 + 800 * 6 + 400 + 29, 1250000);  // bank 6 OUT2 DecisionMax
        c.Memory().SelectBank(6);
    });
    CtlRun run = Ctl({"--settings", settings, "read-all", "-o", home.Path("read.zul")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFileText(settings), before);
    EXPECT_FALSE(fs::exists(home.DefaultSettingsFile()));

    SettingsStore read;
    ASSERT_EQ(read.Load(nullptr, home.Path("read.zul")), ZUL_OK);
    EXPECT_DOUBLE_EQ(read.GetDouble<kOutDecisionMax>(6, 1), 1.25);
    EXPECT_EQ(read.GetInt<kAppCurMemNo>(), 6);
    EXPECT_EQ(read.GetInt<kSoftCommunicationType>(), 0);
    EXPECT_EQ(read.GetText<kSoftUsbConnect>(), "Bench 4");
    // Held files are not written.
    SettingsFileRegistry other;
    ASSERT_TRUE(other.ReserveSettingsFile(home.Path("held.zul")));
    run = Ctl({"read-all", "-o", home.Path("held.zul")});
    EXPECT_EQ(run.status, ZUL_ERR_INI_FILE_LOCKED);
    EXPECT_NE(run.err.find("held.zul"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(home.Path("held.zul")));
}

TEST_F(CtlTest, WriteAllOfAReadFileLeavesTheControllerUnchangedAndWritesEdits) {
    const std::vector<uint16_t> before = sim.ReadWords(0, sim::kMemoryWords);
    const std::string file = home.Path("all.zul");
    ASSERT_EQ(Ctl({"read-all", "-o", file}).status, 0);
    CtlRun run = Ctl({"write-all", "-i", file});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(sim.ReadWords(0, sim::kMemoryWords), before);

    SettingsStore edit;
    ASSERT_EQ(edit.Load(nullptr, file), ZUL_OK);
    edit.SetInt<kHeadSetupMode>(1, 0, 1);
    edit.SetInt<kBufStoreNum>(0, 5);  // invalid: nothing may be written
    ASSERT_EQ(edit.Save(nullptr, file), ZUL_OK);
    run = Ctl({"write-all", "-i", file});
    EXPECT_EQ(run.status, ZUL_ERR_RANGE);
    EXPECT_EQ(run.err.rfind("qvm8ctl: ZUL_ERR_RANGE: ", 0), 0u) << run.err;
    EXPECT_EQ(sim.ReadWords(0, sim::kMemoryWords), before);

    edit.SetInt<kBufStoreNum>(1000, 5);
    ASSERT_EQ(edit.Save(nullptr, file), ZUL_OK);
    run = Ctl({"--json", "write-all", "-i", file});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(sim.ReadWord(3400 + 100), 1);
    EXPECT_EQ(sim.ReadWord(2600 + 100), 1);  // bank 0 is current

    EXPECT_EQ(Ctl({"write-all", "-i", home.Path("missing.zul")}).status, ZUL_ERR_INI_FILE_READ);
    sim.WriteWord(140, 1);
    run = Ctl({"write-all", "-i", file});
    EXPECT_EQ(run.status, ZUL_ERR_MEM_CHANGE_PRIORITY);
}

TEST_F(CtlTest, SystemSettingsAndMemoryCommands) {
    sim.WriteWord(148, 4);  // console number
    sim.WriteWord(141, 3);  // a speed the settings offer
    CtlRun run = Ctl({"--json", "read-system", "-o", home.Path("sys.zul")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\"ConsoleNo\": 4"), std::string::npos) << run.out;
    SettingsStore sys;
    ASSERT_EQ(sys.Load(nullptr, home.Path("sys.zul")), ZUL_OK);
    EXPECT_EQ(sys.GetInt<kMemCmnConsoleNo>(), 4);
    sys.SetInt<kMemCmnConsoleNo>(9);
    ASSERT_EQ(sys.Save(nullptr, home.Path("sys.zul")), ZUL_OK);
    run = Ctl({"write-system", "-i", home.Path("sys.zul")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(sim.ReadWord(148), 9);

    sim.WriteWord(2600 + 200 + 1, 5);
    run = Ctl({"save-mem"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(run.out.empty());
    EXPECT_EQ(sim.ReadWord(3400 + 200 + 1), 5);

    run = Ctl({"init-mem", "--all"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(sim.ReadWord(3400 + 200 + 1), 5);
}

}  // namespace
}  // namespace zul::test

namespace zul::test {
namespace {

TEST_F(CtlTest, WriteAllDefaultsToTheSettingsFile) {
    const std::string settings = home.Path("line.zul");
    UiDefinition ui;
    ASSERT_EQ(ui.Load(ShippedUiDefinition()), ZUL_OK);
    SettingsStore file;
    file.ResetToDefaults(ui);
    file.SetInt<kHeadSetupMode>(1, 4, 0);
    ASSERT_EQ(file.Save(nullptr, settings), ZUL_OK);
    const std::string before = ReadFileText(settings);
    CtlRun run = Ctl({"--settings", settings, "write-all"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(sim.ReadWord(3400 + 800 * 4), 1);
    EXPECT_EQ(ReadFileText(settings), before);  // only read
}

// Starts qvm8ctl with the arguments in the background, standard error into the file; 0 on
// failure.
pid_t SpawnCtl(std::vector<std::string> args, const std::string& errPath) {
    std::string program = QVM8CTL_PROGRAM;
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        pid = 0;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

TEST_F(CtlTest, InterruptCancelsATransfer) {
    sim.SetPace(true, 9600);  // slow enough to be interrupted
    pid_t pid =
        SpawnCtl({"--device", home.Path("com1"), "--bcc", "read-all", "-o", home.Path("cut.zul")},
                 home.Path("cut.err"));
    ASSERT_NE(pid, 0);
    // Identification (two frames), then a few register blocks.
    EXPECT_TRUE(sim.WaitForRequests(5, std::chrono::seconds(20)));
    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), ZUL_ERR_ABORT) << ReadFileText(home.Path("cut.err"));
    EXPECT_EQ(ReadFileText(home.Path("cut.err")).rfind("qvm8ctl: ZUL_ERR_ABORT: ", 0), 0u);
    EXPECT_FALSE(fs::exists(home.Path("cut.zul")));
}

// A raw-frame tool sends exactly the one frame it is given: no identity reads before it.
TEST_F(CtlTest, SendSendsExactlyTheOneFrame) {
    sim.ClearReceivedFrames();
    CtlRun run = Ctl({"send", "%EE#RMC0"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(sim.ReceivedFrames(), (std::vector<std::string>{"%EE#RMC06A"}));
    // A text too long for a frame is refused before anything is sent.
    run = Ctl({"send", "%EE#WDD" + std::string(600, '0')});
    EXPECT_EQ(run.status, ZUL_ERR_RANGE);
    EXPECT_EQ(sim.ReceivedFrames().size(), 1u);
}

TEST_F(CtlTest, TraceShowsTheFramesWithTheirTimesOnStandardError) {
    CtlRun run = Ctl({"--trace", "send", "%EE#RMC0"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "reply: %EE$RMC00000\n");  // standard output keeps only the result
    const std::regex sent(R"((^|\n)\d\d:\d\d:\d\d\.\d{3} RS, SND,   11, %EE#RMC06A\\r\n)");
    EXPECT_TRUE(std::regex_search(run.err, sent)) << run.err;
    // The reply may arrive in more than one piece; each is one line.
    const std::regex received(R"(\d\d:\d\d:\d\d\.\d{3} RS, RCV, +\d+, [^\n]*\\r\n)");
    EXPECT_TRUE(std::regex_search(run.err, received)) << run.err;
    // Without the option nothing is traced.
    run = Ctl({"send", "%EE#RMC0"});
    EXPECT_TRUE(run.err.empty()) << run.err;
}

TEST_F(CtlTest, TimeOutSaysWhatWasDiscarded) {
    sim::SimFaults faults;
    faults.badBcc = 1000;
    sim.SetFaults(faults);
    CtlRun run = Ctl({"--trace", "send", "%EE#RMC0"});
    EXPECT_EQ(run.status, ZUL_ERR_COMM_TIMEOUT);
    EXPECT_NE(run.err.find("qvm8ctl: ZUL_ERR_COMM_TIMEOUT: The controller did not answer in time. "
                           "Replies discarded: 1 with a bad block check. Check the cable"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(" RS, DISCARD, %EE#RMC0, bad block check: %EE$RMC00000"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find(" RS, TIMEOUT, %EE#RMC0, no reply within 1000 ms; Replies discarded"),
              std::string::npos)
        << run.err;
}

// One reply longer on the wire than the reply time-out (1 s here): 1,600 hexadecimal digits
// take about 1.7 s at 9600 bit/s.
TEST_F(CtlTest, LongReplyAt9600BitPerSecond) {
    sim.SetPace(true);  // at the speed qvm8ctl sets on the line
    CtlRun run = Ctl({"--baud", "0", "send", "%EE#RDD0260002999"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.size(), std::string("reply: %EE$RD\n").size() + 4 * 400) << run.out;
}

// Two runs on one device: the second is refused as in use (for root too, which the terminal's
// exclusive mode does not stop), and once the first has ended the device is free again.
TEST_F(CtlTest, SecondRunOnABusyDeviceIsRefusedAsInUse) {
    sim.SetPace(true, 9600);  // the first run holds the line for a while
    pid_t first =
        SpawnCtl({"--device", home.Path("com1"), "--bcc", "read-all", "-o", home.Path("a.zul")},
                 home.Path("first.err"));
    ASSERT_NE(first, 0);
    ASSERT_TRUE(sim.WaitForRequests(3, std::chrono::seconds(20)));
    CtlRun second = Ctl({"info"});
    EXPECT_EQ(second.status, ZUL_ERR_OS_RS_OPEN);
    EXPECT_NE(second.err.find(home.Path("com1") + ": in use by another program"), std::string::npos)
        << second.err;
    ::kill(first, SIGINT);
    int status = 0;
    ::waitpid(first, &status, 0);
    EXPECT_FALSE(fs::exists(home.Path("a.zul")));
    sim.SetPace(false);
    // The reply the first run no longer waits for still leaves at 9600 baud; once it has, the
    // line is free for the next run.
    ASSERT_TRUE(sim.WaitQuiet(std::chrono::milliseconds(100), std::chrono::seconds(10)));
    CtlRun third = Ctl({"info"});
    EXPECT_EQ(third.status, 0) << third.err;
}

}  // namespace
}  // namespace zul::test

namespace zul::test {
namespace {

// qvm8ctl with its standard output on a pipe, read until the program closes it.
CtlRun RunCtlToPipe(const TestHome& home, std::vector<std::string> args) {
    const std::string errPath = home.Path("pipe-stderr");
    args.insert(args.begin(), QVM8CTL_PROGRAM);
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    int pipeFds[2];
    CtlRun run;
    if (::pipe(pipeFds) != 0) {
        ADD_FAILURE() << "pipe";
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, QVM8CTL_PROGRAM, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        ADD_FAILURE() << "cannot start qvm8ctl";
        return run;
    }
    char chunk[4096];
    ssize_t n = 0;
    while ((n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0) {
        run.out.append(chunk, static_cast<size_t>(n));
    }
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFileText(errPath);
    return run;
}

bool SentAWrite(const std::vector<std::string>& frames) {
    for (const std::string& frame : frames) {
        if (frame.find("#W") != std::string::npos) {
            return true;
        }
    }
    return false;
}

TEST_F(CtlTest, BrokenInputFilesAreRefusedBeforeAnyRequest) {
    const std::vector<uint16_t> before = sim.ReadWords(0, sim::kMemoryWords);
    const std::string good = home.Path("good.zul");
    ASSERT_EQ(Ctl({"read-all", "-o", good}).status, 0);
    const std::string whole = ReadFileText(good);
    std::string utf16 = "\xFF\xFE";
    for (char c : whole.substr(0, 6000)) {
        utf16 += c;
        utf16 += '\0';
    }
    std::string binary;
    for (int i = 0; i < 4096; ++i) {
        binary += static_cast<char>((i * 167 + 13) & 0xFF);
    }
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = whole;
        size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return at == std::string::npos ? text : text.replace(at, from.size(), to);
    };
    const std::vector<std::pair<std::string, std::string>> files = {
        {"empty", ""},
        {"truncated", whole.substr(0, 24)},
        {"binary", binary},
        {"utf16", utf16},
        {"nul", std::string(8192, '\0')},
        {"xyz", replaced("\r\nSetupMode=0\r\n", "\r\nSetupMode=xyz\r\n")},
        {"hex", replaced("\r\nSamplingCycle=", "\r\nSamplingCycle=0x10\r\nX=")},
        {"nan", replaced("\r\nDecisionMax=", "\r\nDecisionMax=nan\r\nX=")},
    };
    sim.ClearReceivedFrames();
    for (const auto& [name, content] : files) {
        const std::string path = home.Path(name + ".zul");
        WriteFileText(path, content);
        for (const char* command : {"write-all", "write-system"}) {
            CtlRun run = Ctl({command, "-i", path});
            EXPECT_EQ(run.status, ZUL_ERR_INI_FILE_READ) << command << " " << name << run.err;
            EXPECT_EQ(run.err.rfind("qvm8ctl: ZUL_ERR_INI_FILE_READ: ", 0), 0u) << run.err;
            EXPECT_NE(run.err.find(name + ".zul"), std::string::npos) << run.err;
        }
    }
    CtlRun run = Ctl({"write-all", "-i", home.Path("xyz.zul")});
    EXPECT_NE(run.err.find("[MEM0_HEADA] SetupMode: \"xyz\" is not a number"), std::string::npos)
        << run.err;
    run = Ctl({"write-all", "-i", home.Path("missing.zul")});
    EXPECT_EQ(run.status, ZUL_ERR_INI_FILE_READ);
    EXPECT_NE(run.err.find("No such file or directory"), std::string::npos) << run.err;
    // A file of system settings only is no input for write-all, and the reverse.
    WriteFileText(home.Path("sys.zul"), "[MEM_CMN]\r\nConsoleNo=3\r\n");
    WriteFileText(home.Path("bank.zul"), "[MEM2_HEADA]\r\nPeakLevel=3\r\n");
    EXPECT_EQ(Ctl({"write-all", "-i", home.Path("sys.zul")}).status, ZUL_ERR_INI_FILE_READ);
    run = Ctl({"write-system", "-i", home.Path("bank.zul")});
    EXPECT_EQ(run.status, ZUL_ERR_INI_FILE_READ);
    EXPECT_NE(run.err.find("holds no system settings"), std::string::npos) << run.err;
    EXPECT_TRUE(sim.ReceivedFrames().empty());
    EXPECT_EQ(sim.ReadWords(0, sim::kMemoryWords), before);

    // A file that is good but small is written: only what it holds changes.
    ASSERT_EQ(Ctl({"write-system", "-i", home.Path("sys.zul")}).status, 0);
    EXPECT_EQ(sim.ReadWord(148), 3);
}

TEST_F(CtlTest, SettingsFileThatIsNoRegularFileIsRefused) {
    const std::string fifo = home.Path("pipe.zul");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    sim.ClearReceivedFrames();
    CtlRun run = Ctl({"--settings", fifo, "info"});  // returns: nothing waits for a writer
    EXPECT_EQ(run.status, ZUL_ERR_INI_FILE_READ);
    EXPECT_NE(run.err.find("not a regular file"), std::string::npos) << run.err;
    const std::string zero = home.Path("zero.zul");
    std::filesystem::create_symlink("/dev/zero", zero);
    run = Ctl({"--settings", zero, "write-all"});
    EXPECT_EQ(run.status, ZUL_ERR_INI_FILE_READ);
    EXPECT_NE(run.err.find("not a regular file"), std::string::npos) << run.err;
    const std::string big = home.Path("big.zul");
    WriteFileText(big, "[MEM0_HEADA]\r\nSetupMode=1\r\n");
    ASSERT_EQ(::truncate(big.c_str(), 16 * 1024 * 1024 + 1), 0);
    run = Ctl({"--settings", big, "write-all"});
    EXPECT_EQ(run.status, ZUL_ERR_INI_FILE_READ);
    EXPECT_NE(run.err.find("larger than 16 MiB"), std::string::npos) << run.err;
    EXPECT_TRUE(sim.ReceivedFrames().empty());
    // A --settings file that does not exist yet still means the defaults.
    EXPECT_EQ(Ctl({"--settings", home.Path("new.zul"), "info"}).status, 0);
}

TEST_F(CtlTest, ReadAllChecksTheRegistryBeforeTheFirstRequest) {
    const std::string blocker = home.Path("not-a-folder");
    WriteFileText(blocker, "x");
    const std::string runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string cache = std::getenv("XDG_CACHE_HOME");
    ::setenv("XDG_RUNTIME_DIR", blocker.c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (blocker + "/cache").c_str(), 1);
    sim.ClearReceivedFrames();
    CtlRun run = Ctl({"read-all", "-o", home.Path("out.zul")});
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    ::setenv("XDG_CACHE_HOME", cache.c_str(), 1);
    EXPECT_EQ(run.status, ZUL_ERR_INI_FILE_LOCKED) << run.err;
    EXPECT_TRUE(sim.ReceivedFrames().empty());
    EXPECT_FALSE(fs::exists(home.Path("out.zul")));

    // An output path that cannot be written is refused before the first request as well.
    fs::create_directory(home.Path("folder.zul"));
    run = Ctl({"read-all", "-o", home.Path("folder.zul")});
    EXPECT_EQ(run.status, ZUL_ERR_INI_FILE_WRITE) << run.err;
    EXPECT_NE(run.err.find("Is a directory"), std::string::npos) << run.err;
    run = Ctl({"read-system", "-o", home.Path("no/such/folder.zul")});
    EXPECT_EQ(run.status, ZUL_ERR_INI_FILE_WRITE) << run.err;
    EXPECT_TRUE(sim.ReceivedFrames().empty());
}

TEST_F(CtlTest, ReadAllHoldsTheControllersSystemSettings) {
    sim.WriteWord(148, 4);  // console number
    sim.WriteWord(141, 3);  // line speed
    const std::string file = home.Path("all.zul");
    ASSERT_EQ(Ctl({"read-all", "-o", file}).status, 0);
    SettingsStore read;
    ASSERT_EQ(read.Load(nullptr, file), ZUL_OK);
    EXPECT_EQ(read.GetInt<kMemCmnConsoleNo>(), 4);
    EXPECT_EQ(read.GetInt<kMemCmnRs232cBaudrate>(), 3);

    // --banks-only reads no system command.
    sim.ClearReceivedFrames();
    ASSERT_EQ(Ctl({"read-all", "--banks-only", "-o", home.Path("banks.zul")}).status, 0);
    for (const std::string& frame : sim.ReceivedFrames()) {
        EXPECT_EQ(frame.find("#RSA"), std::string::npos) << frame;
        EXPECT_EQ(frame.find("#RKG"), std::string::npos) << frame;
    }
    SettingsStore banks;
    ASSERT_EQ(banks.Load(nullptr, home.Path("banks.zul")), ZUL_OK);
    EXPECT_NE(banks.GetInt<kMemCmnConsoleNo>(), 4);
}

TEST_F(CtlTest, OutputOntoADeviceIsWrittenThroughNeverReplaced) {
    CtlRun run = RunCtlToPipe(home, {"--device", home.Path("com1"), "--bcc", "--timeout", "0",
                                     "read-all", "-o", "/dev/stdout"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("[CONTROLLER]\r\n", 0), 0u) << run.out.substr(0, 100);
    EXPECT_NE(run.out.find("[MEM15_COMMON]"), std::string::npos);

    const std::string device = home.Path("null.zul");
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
        GTEST_SKIP() << "cannot make a device node here";
    }
    ASSERT_EQ(Ctl({"read-all", "-o", device}).status, 0);
    struct stat st {};
    ASSERT_EQ(::stat(device.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(CtlTest, DiffComparesWithoutWriting) {
    const std::string file = home.Path("diff.zul");
    ASSERT_EQ(Ctl({"read-all", "-o", file}).status, 0);
    sim.ClearReceivedFrames();
    CtlRun run = Ctl({"diff", "-i", file});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    run = Ctl({"--json", "diff", "-i", file});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("{\"differences\": [], \"compared\": ", 0), 0u) << run.out;
    const int compared = std::atoi(run.out.c_str() + run.out.find("\"compared\": ") + 12);
    EXPECT_GT(compared, 1500);  // about a hundred values per bank

    sim.WithController([](sim::SimController& c) {
        c.Memory().SetLong(3400 + 800 * 6 + 400 + 29, 1250000);  // bank 6 OUT2 DecisionMax
    });
    sim.WriteWord(148, 9);  // console number
    run = Ctl({"diff", "-i", file});
    EXPECT_EQ(run.status, 65) << run.err;
    SettingsStore saved;
    ASSERT_EQ(saved.Load(nullptr, file), ZUL_OK);
    char expected[200];
    std::snprintf(expected, sizeof expected,
                  "MEM6_OUT2 DecisionMax file=%lf controller=1.250000\n"
                  "MEM_CMN ConsoleNo file=%d controller=9\n",
                  saved.GetDouble<kOutDecisionMax>(6, 1), saved.GetInt<kMemCmnConsoleNo>());
    EXPECT_EQ(run.out, expected);
    run = Ctl({"--json", "diff", "-i", file});
    EXPECT_EQ(run.status, 65);
    EXPECT_EQ(Lines(run.out), 1u);
    EXPECT_NE(run.out.find("{\"section\": \"MEM6_OUT2\", \"key\": \"DecisionMax\", \"file\": \"" +
                           FormatReal(saved.GetDouble<kOutDecisionMax>(6, 1)) +
                           "\", \"controller\": \"1.250000\"}"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\"compared\": " + std::to_string(compared) + "}"), std::string::npos);
    EXPECT_FALSE(SentAWrite(sim.ReceivedFrames()));

    // The --settings file is the default; usage and file errors.
    run = Ctl({"--settings", file, "diff"});
    EXPECT_EQ(run.status, 65);
    EXPECT_EQ(Lines(run.out), 2u);
    EXPECT_EQ(Ctl({"diff", "extra"}).status, 64);
    EXPECT_EQ(Ctl({"diff", "-i"}).status, 64);
    EXPECT_EQ(Ctl({"diff", "-i", home.Path("none.zul")}).status, ZUL_ERR_INI_FILE_READ);
    sim::SimFaults faults;
    faults.silent = 1000;
    sim.SetFaults(faults);
    EXPECT_EQ(Ctl({"diff", "-i", file}).status, ZUL_ERR_COMM_TIMEOUT);
    EXPECT_FALSE(SentAWrite(sim.ReceivedFrames()));
}

// Replies with a valid block check whose data does not decode: the command fails with
// ZUL_ERR_COMM_RES as its exit status, names the reply, prints no values and writes no file.
class CtlMalformedReplyTest : public ::testing::Test {
protected:
    CtlRun Ctl(std::vector<std::string> args) {
        std::vector<std::string> all = {"--device", controller.DevicePath(), "--bcc", "--timeout",
                                        "0"};
        all.insert(all.end(), args.begin(), args.end());
        return RunCtl(home, all);
    }
    // Damages the reply to the first request that starts with the prefix.
    void DamageFirst(std::string prefix, std::function<std::string(std::string)> damage) {
        auto done = std::make_shared<bool>(false);
        controller.SetTamper([=](const std::string& request, std::string reply) {
            if (!*done && request.rfind(prefix, 0) == 0) {
                *done = true;
                return damage(std::move(reply));
            }
            return reply;
        });
    }

    TestHome home;
    TamperedController controller;
};

using Damage = std::function<std::string(std::string)>;
const std::vector<std::pair<std::string, Damage>>& Damages() {
    static const std::vector<std::pair<std::string, Damage>> damages = {
        {"two characters short", TamperedController::TwoShort},
        {"a letter", [](std::string r) { return TamperedController::LetterAt(std::move(r), 9); }},
        {"no data", TamperedController::NoData},
    };
    return damages;
}

TEST_F(CtlMalformedReplyTest, InfoFailsInsteadOfPrintingAnEmptyIdentity) {
    CtlRun good = Ctl({"info"});
    ASSERT_EQ(good.status, 0) << good.err;  // the undamaged controller answers
    for (const char* prefix : {"%EE#RDD0011800124", "%EE#RDD0015200167"}) {
        for (const auto& [name, damage] : Damages()) {
            DamageFirst(prefix, damage);
            CtlRun run = Ctl({"info"});
            EXPECT_EQ(run.status, ZUL_ERR_COMM_RES) << prefix << " " << name << ": " << run.err;
            EXPECT_EQ(run.err.rfind("qvm8ctl: ZUL_ERR_COMM_RES: ", 0), 0u) << run.err;
            EXPECT_NE(run.err.find("Reply: %EE$RD"), std::string::npos) << run.err;
            EXPECT_TRUE(run.out.empty()) << prefix << " " << name << ": " << run.out;
        }
    }
}

TEST_F(CtlMalformedReplyTest, ReadAllWritesNoFileOfWrongValues) {
    int n = 0;
    for (const char* prefix : {"%EE#RMC0", "%EE#RDD0"}) {
        for (const auto& [name, damage] : Damages()) {
            const std::string out = home.Path("read" + std::to_string(++n) + ".zul");
            // The identity read comes first: damage a request of the transfer itself.
            // Counted on the controller's thread, read here.
            auto seen = std::make_shared<std::atomic<int>>(0);
            std::string p = prefix;
            Damage d = damage;
            controller.SetTamper([=](const std::string& request, std::string reply) {
                bool identity =
                    request.rfind("%EE#RDD00118", 0) == 0 || request.rfind("%EE#RDD00152", 0) == 0;
                if (!identity && request.rfind(p, 0) == 0 && (*seen)++ == 0) {
                    return d(std::move(reply));
                }
                return reply;
            });
            CtlRun run = Ctl({"read-all", "-o", out});
            EXPECT_EQ(run.status, ZUL_ERR_COMM_RES) << prefix << " " << name << ": " << run.err;
            EXPECT_EQ(*seen > 0, true) << prefix << " was never sent";
            EXPECT_FALSE(fs::exists(out)) << prefix << " " << name;
        }
    }
    EXPECT_FALSE(fs::exists(home.DefaultSettingsFile()));
}

}  // namespace
}  // namespace zul::test
