// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/Paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace zul {
namespace {

namespace fs = std::filesystem;

// A private HOME; every XDG variable the helpers read is cleared, tests set what they need.
class PathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zul-paths-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        ::setenv("HOME", root_.c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        ::unsetenv("XDG_STATE_HOME");
        ::unsetenv("XDG_DOCUMENTS_DIR");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    std::string root_;
};

TEST_F(PathsTest, RootedNamesStayUnchanged) {
    for (const char* name : {"/etc/x.zul", "\\share\\x.zul", "D:\\trace\\", "c:x"}) {
        EXPECT_EQ(AppDataPath(name), name);
        EXPECT_EQ(LocalAppDataPath(name), name);
        EXPECT_EQ(DocumentsPath(name), name);
    }
    EXPECT_FALSE(IsRootedName(""));
    EXPECT_FALSE(IsRootedName("a"));
    EXPECT_FALSE(IsRootedName("log"));
    EXPECT_TRUE(IsRootedName("/"));
    EXPECT_TRUE(IsRootedName("X:"));
    // Nothing was created for rooted names.
    EXPECT_TRUE(fs::is_empty(root_));
}

TEST_F(PathsTest, FallbackFoldersUnderHomeAreCreated) {
    EXPECT_EQ(AppDataPath("qv-m8.zul"),
              root_ + "/.config/Brantwick ORTA Sensor/QV-M8 ZuL/qv-m8.zul");
    EXPECT_TRUE(fs::is_directory(root_ + "/.config/Brantwick ORTA Sensor/QV-M8 ZuL"));
    EXPECT_FALSE(fs::exists(root_ + "/.config/Brantwick ORTA Sensor/QV-M8 ZuL/qv-m8.zul"));

    EXPECT_EQ(LocalAppDataPath("log"), root_ + "/.local/state/Brantwick ORTA Sensor/QV-M8 ZuL/log");
    EXPECT_TRUE(fs::is_directory(root_ + "/.local/state/Brantwick ORTA Sensor/QV-M8 ZuL"));
    EXPECT_FALSE(fs::exists(root_ + "/.local/state/Brantwick ORTA Sensor/QV-M8 ZuL/log"));

    EXPECT_EQ(AppDataPath(""), root_ + "/.config/Brantwick ORTA Sensor/QV-M8 ZuL/");
}

TEST_F(PathsTest, XdgVariablesWin) {
    ::setenv("XDG_CONFIG_HOME", (root_ + "/cfg").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (root_ + "/st/").c_str(), 1);
    EXPECT_EQ(AppDataPath("a.zul"), root_ + "/cfg/Brantwick ORTA Sensor/QV-M8 ZuL/a.zul");
    EXPECT_EQ(LocalAppDataPath("b"), root_ + "/st/Brantwick ORTA Sensor/QV-M8 ZuL/b");
    EXPECT_TRUE(fs::is_directory(root_ + "/cfg/Brantwick ORTA Sensor/QV-M8 ZuL"));
    EXPECT_TRUE(fs::is_directory(root_ + "/st/Brantwick ORTA Sensor/QV-M8 ZuL"));
    EXPECT_FALSE(fs::exists(root_ + "/.config"));

    // A relative value is not a valid XDG folder and is ignored.
    ::setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
    EXPECT_EQ(AppDataPath("a.zul"), root_ + "/.config/Brantwick ORTA Sensor/QV-M8 ZuL/a.zul");
}

TEST_F(PathsTest, DocumentsFolderSources) {
    // Fallback, nothing created.
    EXPECT_EQ(DocumentsPath("data.bfd"), root_ + "/Documents/data.bfd");
    EXPECT_FALSE(fs::exists(root_ + "/Documents"));

    // user-dirs.dirs in the config folder, with $HOME expanded; the last assignment wins.
    fs::create_directories(root_ + "/.config");
    std::ofstream(root_ + "/.config/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                     << "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                     << "XDG_DOCUMENTS_DIR=\"$HOME/Old\"\n"
                                                     << "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n";
    EXPECT_EQ(DocumentsPath("x.csv"), root_ + "/Dokumente/x.csv");

    // The environment overrides the file.
    ::setenv("XDG_DOCUMENTS_DIR", (root_ + "/EnvDocs").c_str(), 1);
    EXPECT_EQ(DocumentsPath("x.csv"), root_ + "/EnvDocs/x.csv");
    EXPECT_FALSE(fs::exists(root_ + "/EnvDocs"));
}

TEST_F(PathsTest, UserDirsInXdgConfigHomeWithAbsoluteValue) {
    ::setenv("XDG_CONFIG_HOME", (root_ + "/cfg").c_str(), 1);
    fs::create_directories(root_ + "/cfg");
    std::ofstream(root_ + "/cfg/user-dirs.dirs") << "  XDG_DOCUMENTS_DIR=\"/srv/docs\"\r\n";
    EXPECT_EQ(DocumentsPath("a"), "/srv/docs/a");
}

TEST_F(PathsTest, CanonicalPathResolvesWhatExists) {
    fs::create_directories(root_ + "/real/sub");
    fs::create_directory_symlink(root_ + "/real", root_ + "/link");
    std::string real = fs::canonical(root_ + "/real").string();

    EXPECT_EQ(CanonicalPath(root_ + "/link/sub/../file.zul"), real + "/file.zul");
    EXPECT_EQ(CanonicalPath(root_ + "/link//./missing/x.zul"), real + "/missing/x.zul");
    EXPECT_EQ(CanonicalPath(""), "");

    std::string cwd = fs::current_path().string();
    ASSERT_EQ(::chdir(root_.c_str()), 0);
    EXPECT_EQ(CanonicalPath("link/a.zul"), real + "/a.zul");
    ASSERT_EQ(::chdir(cwd.c_str()), 0);
}

TEST(FileNameWithExtension, LastComponent) {
    EXPECT_EQ(FileNameWithExtension("/home/u/settings/qv-m8.zul"), "qv-m8.zul");
    EXPECT_EQ(FileNameWithExtension("plain.zul"), "plain.zul");
    EXPECT_EQ(FileNameWithExtension("/home/u/folder/"), "");
    EXPECT_EQ(FileNameWithExtension("a.b.c"), "a.b.c");
    EXPECT_EQ(FileNameWithExtension(""), "");
}

}  // namespace
}  // namespace zul
