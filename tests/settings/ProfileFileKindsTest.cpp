// SPDX-License-Identifier: GPL-3.0-or-later
// Paths that are not regular files: nothing blocks, nothing unbounded is read, and nothing that
// is not a regular file is ever replaced.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "TestFolder.h"
#include "settings/ProfileFile.h"
#include "settings/SafeFile.h"

namespace zul {
namespace {

using test::TestFolder;
using test::WriteFile;

std::string DrainNonBlocking(int fd) {
    std::string text;
    char chunk[4096];
    ssize_t n = 0;
    while ((n = ::read(fd, chunk, sizeof chunk)) > 0) {
        text.append(chunk, static_cast<size_t>(n));
    }
    return text;
}

TEST(ProfileFileKinds, FifoIsRefusedForReadingWithoutWaitingForAWriter) {
    TestFolder folder;
    const std::string fifo = folder.File("pipe.zul");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ProfileFile file;
    file.SetPath(fifo);
    ResultInfo info;
    EXPECT_EQ(file.Begin(false, &info), ZUL_ERR_FILE_READ);  // returns: no writer ever comes
    EXPECT_EQ(info.detail1, fifo);
    EXPECT_EQ(info.detail2, "not a regular file");
    EXPECT_FALSE(file.IsCached());
    EXPECT_EQ(file.GetString("S", "", "k", "default"), "default");  // direct mode as well
}

TEST(ProfileFileKinds, EndlessDeviceAndOversizeFileAreRefused) {
    ProfileFile file;
    file.SetPath("/dev/zero");
    ResultInfo info;
    EXPECT_EQ(file.Begin(false, &info), ZUL_ERR_FILE_READ);
    EXPECT_EQ(info.detail1, "/dev/zero");
    EXPECT_FALSE(file.IsCached());

    TestFolder folder;
    const std::string big = folder.File("big.zul");
    WriteFile(big, "[S]\r\nk=1\r\n");
    ASSERT_EQ(::truncate(big.c_str(), static_cast<off_t>(kMaxProfileFileSize) + 1), 0);
    file.SetPath(big);
    EXPECT_EQ(file.Begin(false, &info), ZUL_ERR_FILE_READ);
    EXPECT_EQ(info.osError, EFBIG);
    EXPECT_EQ(info.detail2, "larger than 16 MiB");
    // Saving over it would read it first to keep its entries: refused as well, file unchanged.
    EXPECT_EQ(file.Begin(true, &info), ZUL_ERR_FILE_READ);
    EXPECT_EQ(std::filesystem::file_size(big), kMaxProfileFileSize + 1);

    // Exactly at the limit is still read.
    ASSERT_EQ(::truncate(big.c_str(), static_cast<off_t>(kMaxProfileFileSize)), 0);
    std::string content;
    bool missing = true;
    EXPECT_EQ(ReadRegularFile(big, content, missing, &info), ZUL_OK);
    EXPECT_FALSE(missing);
    EXPECT_EQ(content.size(), kMaxProfileFileSize);
}

TEST(ProfileFileKinds, FifoWithAReaderIsWrittenThroughAndStaysAFifo) {
    TestFolder folder;
    const std::string fifo = folder.File("out.csv");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);

    ProfileFile file;
    file.SetPath(fifo);
    file.SetLayoutMode(kLayoutSettings);
    ASSERT_EQ(file.BeginRewrite(), ZUL_OK);
    file.SetString("S", "", "k", "v");
    ASSERT_EQ(file.End(), ZUL_OK);
    EXPECT_EQ(DrainNonBlocking(reader), "[S]\r\nk=v\r\n");
    ::close(reader);
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_EQ(folder.EntryCount(), 1u);

    // Without a reader the save fails at once instead of waiting for ever.
    ResultInfo info;
    EXPECT_EQ(file.BeginRewrite(&info), ZUL_ERR_FILE_READ);
    EXPECT_EQ(info.osError, ENXIO);
    EXPECT_EQ(info.detail1, fifo);
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST(ProfileFileKinds, CharacterDeviceIsWrittenThroughNeverReplaced) {
    TestFolder folder;
    const std::string device = folder.File("null.zul");
    if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
        GTEST_SKIP() << "cannot make a device node here: " << std::strerror(errno);
    }
    ProfileFile file;
    file.SetPath(device);
    ASSERT_EQ(file.Begin(true), ZUL_OK);  // nothing is read from the device
    file.SetString("S", "", "k", "v");
    ASSERT_EQ(file.End(), ZUL_OK);
    struct stat st {};
    ASSERT_EQ(::stat(device.c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
    EXPECT_EQ(st.st_rdev, makedev(1, 3));
    EXPECT_EQ(folder.EntryCount(), 1u);
}

TEST(ProfileFileKinds, FolderAndSocketAreRefusedForWriting) {
    TestFolder folder;
    const std::string sub = folder.File("sub.zul");
    ASSERT_EQ(::mkdir(sub.c_str(), 0700), 0);
    ProfileFile file;
    file.SetPath(sub);
    ResultInfo info;
    EXPECT_EQ(file.BeginRewrite(&info), ZUL_ERR_FILE_READ);
    EXPECT_EQ(info.osError, EISDIR);

    const std::string socketPath = folder.File("s.zul");
    int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(s, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    ASSERT_EQ(::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    file.SetPath(socketPath);
    EXPECT_EQ(file.BeginRewrite(&info), ZUL_ERR_FILE_READ);
    EXPECT_EQ(info.detail2, "not a regular file");
    EXPECT_EQ(file.SetString("S", "", "k", "v", &info), ZUL_ERR_OS_FILE_WRITE);  // direct mode
    ::close(s);
    struct stat st {};
    ASSERT_EQ(::stat(socketPath.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));

    // The same answers before a save starts, without opening anything.
    EXPECT_EQ(CheckWriteTarget(sub, ZUL_ERR_FILE_WRITE, &info), ZUL_ERR_FILE_WRITE);
    EXPECT_EQ(info.osError, EISDIR);
    EXPECT_EQ(CheckWriteTarget(socketPath, ZUL_ERR_FILE_WRITE, &info), ZUL_ERR_FILE_WRITE);
    EXPECT_EQ(CheckWriteTarget(folder.File("none/x.zul"), ZUL_ERR_FILE_WRITE, &info),
              ZUL_ERR_FILE_WRITE);
    EXPECT_EQ(info.osError, ENOENT);
    EXPECT_EQ(CheckWriteTarget(folder.File("new.zul"), ZUL_ERR_FILE_WRITE, &info), ZUL_OK);
    EXPECT_EQ(CheckWriteTarget("/dev/null", ZUL_ERR_FILE_WRITE, &info), ZUL_OK);
    EXPECT_FALSE(std::filesystem::exists(folder.File("new.zul")));
}

TEST(ProfileFileKinds, DanglingLinkGetsItsFileAndStaysALink) {
    TestFolder folder;
    const std::string link = folder.File("link.zul");
    std::filesystem::create_symlink("real.zul", link);
    ProfileFile file;
    file.SetPath(link);
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    file.SetString("S", "", "k", "v");
    ASSERT_EQ(file.End(), ZUL_OK);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::ReadFile(folder.File("real.zul")), "[S]\r\nk=v\r\n");
}

}  // namespace
}  // namespace zul
