// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SettingsFileRegistry.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zul {
namespace {

namespace fs = std::filesystem;
using List = std::vector<std::string>;

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zul-registry-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = fs::canonical(pattern).string();
        runtime_ = root_ + "/run";
        fs::create_directories(runtime_);
        ::setenv("HOME", root_.c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    std::string BlockPath() const { return runtime_ + "/" + std::string(kRegistryBlockName); }
    std::string BlockBytes() const {
        std::ifstream in(BlockPath(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    void WriteBlockBytes(const std::vector<uint8_t>& bytes) const {
        std::ofstream out(BlockPath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    std::string root_;
    std::string runtime_;
};

TEST(RegistryBlock, LayoutRoundTripAndValidation) {
    std::vector<uint8_t> block;
    ASSERT_TRUE(BuildRegistryBlock({"/a/x.zul", "/b/y.zul"}, block));
    ASSERT_EQ(block.size(), kRegistryBlockSize);
    EXPECT_EQ(block[0], 2);
    EXPECT_EQ(block[1], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&block[4]), 18),
              std::string("/a/x.zul\0/b/y.zul\0", 18));
    EXPECT_EQ(ParseRegistryBlock(block), (List{"/a/x.zul", "/b/y.zul"}));

    std::vector<uint8_t> zero(kRegistryBlockSize, 0);
    EXPECT_EQ(ParseRegistryBlock(zero), List{});

    std::vector<uint8_t> negative = block;
    negative[3] = 0x80;  // count < 0
    EXPECT_EQ(ParseRegistryBlock(negative), List{});

    std::vector<uint8_t> tooMany = block;
    tooMany[0] = 3;  // the third entry would be the empty text after the second; still inside
    EXPECT_EQ(ParseRegistryBlock(tooMany), (List{"/a/x.zul", "/b/y.zul", ""}));

    std::vector<uint8_t> unterminated(kRegistryBlockSize, 'x');
    unterminated[0] = 1;
    unterminated[1] = unterminated[2] = unterminated[3] = 0;
    EXPECT_EQ(ParseRegistryBlock(unterminated), List{});

    std::vector<uint8_t> huge = block;
    huge[0] = huge[1] = huge[2] = 0xFF;
    huge[3] = 0x7F;
    EXPECT_EQ(ParseRegistryBlock(huge), List{});

    EXPECT_EQ(ParseRegistryBlock({1, 0}), List{});

    // Exactly full fits; one byte more does not.
    std::string big(kRegistryBlockSize - 4 - 1, 'p');
    EXPECT_TRUE(BuildRegistryBlock({big}, block));
    EXPECT_EQ(ParseRegistryBlock(block), (List{big}));
    EXPECT_FALSE(BuildRegistryBlock({big + "p"}, block));
}

TEST_F(RegistryTest, SamePathTwiceFailsRegardlessOfCaseOrSpelling) {
    SettingsFileRegistry first;
    SettingsFileRegistry second;
    const std::string path = root_ + "/Settings/My.zul";
    EXPECT_TRUE(first.ReserveSettingsFile(path));
    EXPECT_EQ(first.Folder(), runtime_);
    EXPECT_FALSE(first.ReserveSettingsFile(path));  // also within one instance
    EXPECT_FALSE(second.ReserveSettingsFile(root_ + "/settings/MY.ZUL"));
    EXPECT_FALSE(second.ReserveSettingsFile(root_ + "/Settings/../Settings/./My.zul"));
    EXPECT_EQ(second.Entries(), (List{path}));

    EXPECT_TRUE(second.ReserveSettingsFile(root_ + "/Other.zul"));
    EXPECT_EQ(first.Entries(), (List{path, root_ + "/Other.zul"}));

    // Only the holder withdraws a reservation.
    EXPECT_FALSE(second.ReleaseSettingsFile(path));
    EXPECT_EQ(first.Entries().size(), 2u);
    EXPECT_TRUE(first.ReleaseSettingsFile(root_ + "/settings/my.zul"));
    EXPECT_EQ(first.Entries(), (List{root_ + "/Other.zul"}));
    EXPECT_TRUE(second.ReserveSettingsFile(path));
    EXPECT_FALSE(first.ReleaseSettingsFile(path));
}

TEST_F(RegistryTest, EmptyPathFailsAndRelativePathsAreCanonical) {
    SettingsFileRegistry registry;
    EXPECT_FALSE(registry.ReserveSettingsFile(""));
    EXPECT_FALSE(registry.ReleaseSettingsFile(""));
    std::string cwd = fs::current_path().string();
    ASSERT_EQ(::chdir(root_.c_str()), 0);
    EXPECT_TRUE(registry.ReserveSettingsFile("rel.zul"));
    ASSERT_EQ(::chdir(cwd.c_str()), 0);
    EXPECT_EQ(registry.Entries(), (List{root_ + "/rel.zul"}));
}

TEST_F(RegistryTest, FullBlockRefusesAndStaysUnchanged) {
    SettingsFileRegistry registry;
    const std::string folder = "/" + std::string(230, 'd');
    int reserved = 0;
    while (registry.ReserveSettingsFile(folder + "/f" + std::to_string(reserved) + ".zul")) {
        ++reserved;
        ASSERT_LT(reserved, 1000);
    }
    // 4 + 10 entries of 239 bytes + 32 of 240 = 10074 bytes; one more would need 10314.
    EXPECT_EQ(reserved, 42);
    std::string before = BlockBytes();
    EXPECT_EQ(before.size(), kRegistryBlockSize);
    EXPECT_FALSE(registry.ReserveSettingsFile(folder + "/another.zul"));
    EXPECT_EQ(BlockBytes(), before);
    EXPECT_EQ(registry.Entries().size(), static_cast<size_t>(reserved));
    // A short one still fits when there is room for it.
    SettingsFileRegistry other;
    size_t used = 4;
    for (const auto& entry : registry.Entries()) {
        used += entry.size() + 1;
    }
    ASSERT_LE(used + 3, kRegistryBlockSize);
    EXPECT_TRUE(other.ReserveSettingsFile("/s"));
}

TEST_F(RegistryTest, HolderInAnotherProcessKeepsTheFile) {
    const std::string path = root_ + "/shared.zul";
    int toParent[2];
    int toChild[2];
    ASSERT_EQ(::pipe(toParent), 0);
    ASSERT_EQ(::pipe(toChild), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SettingsFileRegistry registry;
        char ok = registry.ReserveSettingsFile(path) ? 'y' : 'n';
        (void)!::write(toParent[1], &ok, 1);
        char go = 0;
        (void)!::read(toChild[0], &go, 1);
        ::_exit(0);  // ends without releasing
    }
    char reply = 0;
    ASSERT_EQ(::read(toParent[0], &reply, 1), 1);
    EXPECT_EQ(reply, 'y');

    SettingsFileRegistry mine;
    EXPECT_FALSE(mine.ReserveSettingsFile(path));
    EXPECT_TRUE(mine.ReserveSettingsFile(root_ + "/mine.zul"));

    char go = 'x';
    ASSERT_EQ(::write(toChild[1], &go, 1), 1);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) {
        ::close(fd);
    }

    // The holder died with its entry still listed, while this instance stays alive: the entry
    // is taken over, not locked for ever.
    EXPECT_EQ(mine.Entries(), (List{path, root_ + "/mine.zul"}));
    EXPECT_TRUE(mine.ReserveSettingsFile(path));
    SettingsFileRegistry third;
    EXPECT_FALSE(third.ReserveSettingsFile(path));
    EXPECT_TRUE(mine.ReleaseSettingsFile(path));
    EXPECT_TRUE(third.ReserveSettingsFile(path));
}

TEST_F(RegistryTest, BlockIsResetWhenNoInstanceIsAlive) {
    const std::string path = root_ + "/crashed.zul";
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SettingsFileRegistry registry;
        ::_exit(registry.ReserveSettingsFile(path) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 0);
    EXPECT_NE(BlockBytes().find("crashed.zul"), std::string::npos);  // left behind

    SettingsFileRegistry next;
    EXPECT_TRUE(next.Open());
    EXPECT_EQ(next.Entries(), List{});
    EXPECT_EQ(BlockBytes(), std::string(kRegistryBlockSize, '\0'));
    EXPECT_TRUE(next.ReserveSettingsFile(path));
}

TEST_F(RegistryTest, CorruptBlockReadsAsEmpty) {
    SettingsFileRegistry alive;  // keeps the block from being reset
    ASSERT_TRUE(alive.Open());
    std::vector<uint8_t> garbage(kRegistryBlockSize, 'z');
    garbage[0] = 0x10;
    garbage[1] = garbage[2] = garbage[3] = 0;
    WriteBlockBytes(garbage);

    SettingsFileRegistry registry;
    EXPECT_EQ(registry.Entries(), List{});
    EXPECT_TRUE(registry.ReserveSettingsFile(root_ + "/a.zul"));
    EXPECT_EQ(alive.Entries(), (List{root_ + "/a.zul"}));

    // A block cut short by someone else reads as zeros past its end.
    WriteBlockBytes({1, 0, 0, 0, '/', 'q'});
    EXPECT_EQ(alive.Entries(), List{"/q"});
    WriteBlockBytes({2, 0, 0, 0, '/', 'q'});
    EXPECT_EQ(alive.Entries(), (List{"/q", ""}));
    WriteBlockBytes({0xFF, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(alive.Entries(), List{});
}

TEST_F(RegistryTest, FolderFallsBackToTheCacheFolder) {
    EXPECT_EQ(RegistryFolder(), runtime_);
    ::setenv("XDG_RUNTIME_DIR", (root_ + "/missing").c_str(), 1);
    ::unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(RegistryFolder(), root_ + "/.cache");
    EXPECT_TRUE(fs::is_directory(root_ + "/.cache"));
    ::setenv("XDG_CACHE_HOME", (root_ + "/cache").c_str(), 1);
    EXPECT_EQ(RegistryFolder(), root_ + "/cache");
    SettingsFileRegistry registry;
    EXPECT_TRUE(registry.ReserveSettingsFile("/x.zul"));
    EXPECT_TRUE(fs::exists(root_ + "/cache/" + std::string(kRegistryBlockName)));
}

}  // namespace
}  // namespace zul
