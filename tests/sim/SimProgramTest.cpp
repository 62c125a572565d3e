// SPDX-License-Identifier: GPL-3.0-or-later
// The qvm8-sim program: options, the link, tracing and a clean exit on a signal.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>

#include "SimClient.h"
#include "base/ChildProcess.h"

namespace zul::sim::test {
namespace {

class Program {
public:
    explicit Program(std::vector<std::string> args) {
        int out[2];
        if (::pipe(out) != 0) {
            return;
        }
        args.insert(args.begin(), QVM8_SIM_PROGRAM);
        pid_ = StartChild(
            args, {ChildStream{}, ChildStream::Descriptor(out[1]), ChildStream{}, {out[0]}});
        if (pid_ == 0) {
            pid_ = -1;
        }
        ::close(out[1]);
        out_ = out[0];
    }
    ~Program() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) {
            ::close(out_);
        }
    }
    // The next line of the program's output ("" after 5 s or at its end).
    std::string Line() {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        for (;;) {
            size_t nl = buffer_.find('\n');
            if (nl != std::string::npos) {
                std::string line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                return line;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
            pollfd p{out_, POLLIN, 0};
            if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0) {
                return {};
            }
            char chunk[1024];
            ssize_t n = ::read(out_, chunk, sizeof chunk);
            if (n <= 0) {
                return {};
            }
            buffer_.append(chunk, static_cast<size_t>(n));
        }
    }
    // Sends the signal and returns the exit status (-1 when it did not exit normally).
    int Signal(int sig) {
        ::kill(pid_, sig);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    bool Started() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    std::string buffer_;
};

TEST(SimProgram, ServesThroughTheLinkAndExitsCleanly) {
    TempDir dir;
    std::string link = dir.Path() + "/config/ports/COM1";
    Program program({"--link", link, "--trace", "--no-bcc", "--firmware", "0123"});
    ASSERT_TRUE(program.Started());
    std::string device = program.Line();
    EXPECT_EQ(device.rfind("/dev/pts/", 0), 0u) << device;
    EXPECT_EQ(program.Line(), "linked at " + link);
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), device);

    SimClient client(link);
    EXPECT_EQ(client.Request("%EE#RDD0012400124", false), WithBcc("%EE$RD2301"));
    EXPECT_EQ(program.Line(), "<- %EE#RDD0012400124**");
    EXPECT_EQ(program.Line(), "-> " + WithBcc("%EE$RD2301"));
    client.Close();

    EXPECT_EQ(program.Signal(SIGTERM), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST(SimProgram, FaultOptionsAndStateFile) {
    TempDir dir;
    std::string state = dir.Path() + "/memory";
    {
        Program program({"--state", state, "--bad-bcc", "1", "--silent", "1"});
        std::string device = program.Line();
        SimClient client(device);
        client.Request("%EE#RMC0", true, 300);
        EXPECT_TRUE(client.TimedOut());
        std::string r = client.Request("%EE#WMC000009");
        EXPECT_EQ(r.substr(0, 7), "%EE$WMC");
        EXPECT_FALSE(BccMatches(r));
        EXPECT_EQ(client.Request("%EE#RMC0"), WithBcc("%EE$RMC00009"));
        client.Close();
        EXPECT_EQ(program.Signal(SIGINT), 0);
    }
    Program again({"--state", state});
    SimClient client(again.Line());
    EXPECT_EQ(client.Request("%EE#RMC0"), WithBcc("%EE$RMC00009"));
    client.Close();
    EXPECT_EQ(again.Signal(SIGTERM), 0);
}

TEST(SimProgram, QuietAfterOption) {
    Program program({"--quiet-after", "1"});
    SimClient client(program.Line());
    EXPECT_EQ(client.Request("%EE#RMC0"), WithBcc("%EE$RMC00000"));
    client.Request("%EE#RMC0", true, 300);
    EXPECT_TRUE(client.TimedOut());
    client.Close();
    EXPECT_EQ(program.Signal(SIGTERM), 0);
    Program missing({"--quiet-after"});
    EXPECT_EQ(missing.Signal(0), 64);
}

TEST(SimProgram, RefusesBadOptions) {
    Program program({"--firmware", "xyz"});
    EXPECT_EQ(program.Signal(0), 64);
    Program unknown({"--frobnicate"});
    EXPECT_EQ(unknown.Signal(0), 64);
}

}  // namespace
}  // namespace zul::sim::test
