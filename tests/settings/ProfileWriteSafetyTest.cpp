// SPDX-License-Identifier: GPL-3.0-or-later
// A failed or concurrent write must never damage the file that is already there.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>

#include "TestFolder.h"
#include "settings/ProfileFile.h"

namespace zul {
namespace {

using test::ReadFile;
using test::TestFolder;
using test::WriteFile;

const std::string kOldContent =
    "[Setting]\r\n\t<Common>\r\n\t\tStoreNum=3\r\n[Data]\r\n\t<CSV>\r\n"
    "0,Output1,Output2\r\n1,1.000000,2.000000\r\n";

class WriteSafetyTest : public ::testing::Test {
protected:
    void SetUp() override { WriteFile(path_, kOldContent); }
    TestFolder folder_;
    std::string path_ = folder_.File("data.bfd");
};

TEST_F(WriteSafetyTest, CsvWriterErrorHalfWayLeavesTheOldFile) {
    ProfileFile file;
    file.SetPath(path_);
    file.SetLayoutMode(kLayoutDataFile);
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    file.SetInt("Setting", "Common", "StoreNum", 1000);
    file.AddCsvBlock(
        "Data", "CSV",
        [](int64_t, int64_t, ResultInfo& result, int64_t& state, bool&, std::string& line) {
            if (state == 500) {
                SetResult(&result, ZUL_ERR_MEMORY_OVER, 12, "row 500");
                return;
            }
            line = std::to_string(state++) + ",1.234567,7.654321 padding to make the file big";
        },
        0, 0);
    ResultInfo info;
    EXPECT_EQ(file.End(&info), ZUL_ERR_MEMORY_OVER);
    EXPECT_EQ(info.code, ZUL_ERR_MEMORY_OVER);
    EXPECT_EQ(info.osError, 12);
    EXPECT_EQ(info.detail1, "row 500");
    EXPECT_FALSE(file.IsCached());
    EXPECT_EQ(ReadFile(path_), kOldContent);
    EXPECT_EQ(folder_.EntryCount(), 1u);  // no temporary file left behind

    // The file is usable (and unlocked) afterwards.
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    EXPECT_EQ(file.GetInt("Setting", "Common", "StoreNum", 0), 3);
    EXPECT_EQ(file.End(), ZUL_OK);
}

TEST_F(WriteSafetyTest, DiskWriteFailureLeavesTheOldFile) {
    // A file size limit makes the writes of the new content fail with EFBIG.
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);

    ProfileFile file;
    file.SetPath(path_);
    file.SetLayoutMode(kLayoutDataFile);
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    file.AddCsvBlock(
        "Data", "CSV",
        [](int64_t, int64_t, ResultInfo&, int64_t& state, bool& done, std::string& line) {
            done = state == 20000;
            line = std::to_string(state++) + ",1.000000,2.000000";
        },
        0, 0);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    ResultInfo info;
    int32_t rc = file.End(&info);
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_EQ(rc, ZUL_ERR_OS_FILE_WRITE);
    EXPECT_EQ(info.code, ZUL_ERR_OS_FILE_WRITE);
    EXPECT_EQ(info.osError, EFBIG);
    EXPECT_FALSE(file.IsCached());
    EXPECT_EQ(ReadFile(path_), kOldContent);
    EXPECT_EQ(folder_.EntryCount(), 1u);
}

TEST_F(WriteSafetyTest, SecondWriterIsKeptOutReadersAreNot) {
    ProfileFile first;
    first.SetPath(path_);
    ASSERT_EQ(first.Begin(true), ZUL_OK);

    ProfileFile second;
    second.SetPath(path_);
    ResultInfo info;
    EXPECT_EQ(second.Begin(true, &info), ZUL_ERR_FILE_READ);
    EXPECT_EQ(info.osError, EWOULDBLOCK);
    EXPECT_FALSE(second.IsCached());
    EXPECT_EQ(second.SetString("Setting_Common", "", "StoreNum", "9", &info),
              ZUL_ERR_OS_FILE_WRITE);  // direct mode is a writer too

    ProfileFile reader;
    reader.SetPath(path_);
    ASSERT_EQ(reader.Begin(false), ZUL_OK);
    EXPECT_EQ(reader.GetInt("Setting", "Common", "StoreNum", 0), 3);
    // A reader switching to writing needs the lock as well.
    EXPECT_EQ(reader.Begin(true, &info), ZUL_ERR_FILE_READ);
    EXPECT_FALSE(reader.IsForWrite());
    reader.End();

    first.SetInt("Setting", "Common", "StoreNum", 4);
    ASSERT_EQ(first.End(), ZUL_OK);

    // After End the replaced file takes a writer again, and it sees the new content.
    ASSERT_EQ(second.Begin(true), ZUL_OK);
    EXPECT_EQ(second.GetInt("Setting", "Common", "StoreNum", 0), 4);
    second.SetInt("Setting", "Common", "StoreNum", 5);
    ASSERT_EQ(second.End(), ZUL_OK);
    EXPECT_NE(ReadFile(path_).find("StoreNum=5"), std::string::npos);
}

TEST_F(WriteSafetyTest, PermissionsAndSymbolicLinksSurviveTheReplacement) {
    ASSERT_EQ(::chmod(path_.c_str(), 0640), 0);
    std::string link = folder_.File("link.bfd");
    std::filesystem::create_symlink(path_, link);

    ProfileFile file;
    file.SetPath(link);
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    file.SetInt("Setting", "Common", "StoreNum", 8);
    ASSERT_EQ(file.End(), ZUL_OK);

    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_NE(ReadFile(path_).find("StoreNum=8"), std::string::npos);
    struct stat info {};
    ASSERT_EQ(::stat(path_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(folder_.EntryCount(), 2u);
}

TEST_F(WriteSafetyTest, NewFileAppearsOnlyWhenComplete) {
    std::string fresh = folder_.File("fresh.zul");
    ProfileFile file;
    file.SetPath(fresh);
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    EXPECT_FALSE(std::filesystem::exists(fresh));  // no empty file while the content is built
    file.SetString("S", "", "k", "v");
    EXPECT_EQ(folder_.EntryCount(), 1u);
    ASSERT_EQ(file.End(), ZUL_OK);
    EXPECT_EQ(ReadFile(fresh), "[S]\r\nk=v\r\n");
    EXPECT_EQ(folder_.EntryCount(), 2u);
}

TEST_F(WriteSafetyTest, FailedSaveOfANewFileLeavesNothingAndNamesTheFile) {
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);

    const std::string fresh = folder_.File("new.bfd");
    ProfileFile file;
    file.SetPath(fresh);
    file.SetLayoutMode(kLayoutDataFile);
    ASSERT_EQ(file.BeginRewrite(), ZUL_OK);
    file.AddCsvBlock(
        "Data", "CSV",
        [](int64_t, int64_t, ResultInfo&, int64_t& state, bool& done, std::string& line) {
            done = state == 20000;
            line = std::to_string(state++) + ",1.000000,2.000000";
        },
        0, 0);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    ResultInfo info;
    int32_t rc = file.End(&info);
    ::setrlimit(RLIMIT_FSIZE, &old);
    ::sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_EQ(rc, ZUL_ERR_OS_FILE_WRITE);
    EXPECT_EQ(info.osError, EFBIG);
    EXPECT_EQ(info.detail1, fresh);
    EXPECT_EQ(info.detail2, std::strerror(EFBIG));
    EXPECT_FALSE(std::filesystem::exists(fresh));
    EXPECT_EQ(folder_.EntryCount(), 1u);  // only the old data.bfd
}

TEST_F(WriteSafetyTest, KilledSaveOfANewFileLeavesNothing) {
    const std::string fresh = folder_.File("killed.bfd");
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ProfileFile file;
        file.SetPath(fresh);
        file.SetLayoutMode(kLayoutDataFile);
        if (file.BeginRewrite() != ZUL_OK) {
            ::_exit(1);
        }
        file.AddCsvBlock(
            "Data", "CSV",
            [](int64_t, int64_t, ResultInfo&, int64_t& state, bool&, std::string& line) {
                if (state == 20000) {  // well past the first flushes to the disk
                    ::kill(::getpid(), SIGKILL);
                }
                line = std::to_string(state++) + ",1.000000,2.000000";
            },
            0, 0);
        file.End();
        ::_exit(2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGKILL);
    EXPECT_FALSE(std::filesystem::exists(fresh));
    EXPECT_EQ(folder_.EntryCount(), 1u);
}

}  // namespace
}  // namespace zul
