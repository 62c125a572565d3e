// qvm8ctl end to end: the program against the emulated controller, every exit status path.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "SimMemory.h"
#include "Simulator.h"
#include "TamperedController.h"
#include "app/AppTestSupport.h"
#include "app/SettingsFileRegistry.h"
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

TEST_F(CtlTest, InterruptCancelsATransfer) {
    sim.SetPace(true, 9600);  // slow enough to be interrupted
    std::string program = QVM8CTL_PROGRAM;
    std::vector<std::string> args = {program,    "--device", home.Path("com1"),   "--bcc",
                                     "read-all", "-o",       home.Path("cut.zul")};
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, home.Path("cut.err").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
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
            auto seen = std::make_shared<int>(0);
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
