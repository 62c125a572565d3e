// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/ChildProcess.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zul::test {
namespace {

std::string FileText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A child's streams go where asked, its exit code comes back, and one that cannot start or
// is killed says so.
TEST(ChildProcess, StreamsExitCodesAndFailures) {
    std::string folder = (std::filesystem::temp_directory_path() / "childXXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    const std::string out = folder + "/out";
    const std::string err = folder + "/err";
    const pid_t pid =
        StartChild({"/bin/sh", "-c", "read line; echo \"<$line>\"; echo oops >&2; exit 3"},
                   {ChildStream::Null(), ChildStream::File(out), ChildStream::File(err)});
    ASSERT_NE(pid, 0);
    EXPECT_EQ(WaitForChild(pid), 3);
    EXPECT_EQ(FileText(out), "<>\n");  // stdin was the null device: nothing to read
    EXPECT_EQ(FileText(err), "oops\n");

    // Into a pipe; the child does not keep the read end, so the pipe ends with the child.
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t piped = StartChild(
        {"/bin/echo", "through"},
        {ChildStream{}, ChildStream::Descriptor(pipeFds[1]), ChildStream{}, {pipeFds[0]}});
    ::close(pipeFds[1]);
    ASSERT_NE(piped, 0);
    std::string read;
    char chunk[64];
    ssize_t n = 0;
    while ((n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0) {
        read.append(chunk, size_t(n));
    }
    ::close(pipeFds[0]);
    EXPECT_EQ(read, "through\n");
    EXPECT_EQ(WaitForChild(piped), 0);

    int error = 0;
    EXPECT_EQ(StartChild({folder + "/no-such-program"}, {}, nullptr, &error), 0);
    EXPECT_EQ(error, ENOENT);
    EXPECT_EQ(StartChild({}, {}, nullptr, &error), 0);
    EXPECT_EQ(error, EINVAL);

    const pid_t killed = StartChild({"/bin/sh", "-c", "kill -TERM $$"}, {});
    ASSERT_NE(killed, 0);
    EXPECT_EQ(WaitForChild(killed), -1);  // ended by a signal
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace zul::test
