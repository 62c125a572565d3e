// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DataFileTypes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace zul {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A private HOME and data folders; a fake update-mime-database on PATH records its calls.
class DataFileTypesTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "zul-mime-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        oldPath_ = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
        ::setenv("HOME", root_.c_str(), 1);
        ::setenv("XDG_DATA_HOME", (root_ + "/data").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (root_ + "/system").c_str(), 1);
        fs::create_directories(root_ + "/bin");
        const std::string tool = root_ + "/bin/update-mime-database";
        std::ofstream(tool) << "#!/bin/sh\necho \"$@\" >> \"" << root_ << "/calls\"\n";
        ::chmod(tool.c_str(), 0755);
        ::setenv("PATH", (root_ + "/bin:/usr/bin:/bin").c_str(), 1);
    }
    void TearDown() override {
        ::setenv("PATH", oldPath_.c_str(), 1);
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    void InstallCsvType() {
        fs::create_directories(root_ + "/system/mime/text");
        std::ofstream(root_ + "/system/mime/text/csv.xml") << "<mime-type type=\"text/csv\"/>\n";
    }
    std::string root_;
    std::string oldPath_;
};

TEST_F(DataFileTypesTest, WritesThePackageOnceAndUpdatesTheDatabase) {
    InstallCsvType();
    EXPECT_TRUE(RegisterDataFileTypes(".bfd"));
    EXPECT_TRUE(RegisterDataFileTypes(".lwd"));
    const std::string package = root_ + "/data/mime/packages/qvm8-zul-bfd.xml";
    EXPECT_EQ(DataFileTypePackagePath(".bfd"), package);
    std::string text = ReadAll(package);
    EXPECT_NE(text.find("<mime-type type=\"text/csv\">"), std::string::npos);
    EXPECT_NE(text.find("<glob pattern=\"*.bfd\"/>"), std::string::npos);
    EXPECT_NE(ReadAll(root_ + "/data/mime/packages/qvm8-zul-lwd.xml").find("*.lwd"),
              std::string::npos);
    const std::string call = root_ + "/data/mime\n";
    EXPECT_EQ(ReadAll(root_ + "/calls"), call + call);

    // Present already: left alone, and the database is not rebuilt again.
    std::ofstream(package, std::ios::trunc) << "user's own";
    EXPECT_FALSE(RegisterDataFileTypes(".bfd"));
    EXPECT_EQ(ReadAll(package), "user's own");
    EXPECT_EQ(ReadAll(root_ + "/calls"), call + call);
}

TEST_F(DataFileTypesTest, NothingWithoutACsvTypeOrWithAStrangeExtension) {
    EXPECT_FALSE(RegisterDataFileTypes(".bfd"));
    EXPECT_FALSE(fs::exists(root_ + "/data"));
    InstallCsvType();
    for (const char* bad : {"", ".", "bfd", ".b/d", ".b\"d", "../x", ".bfd "}) {
        EXPECT_FALSE(RegisterDataFileTypes(bad)) << bad;
    }
    EXPECT_FALSE(fs::exists(root_ + "/data"));
    EXPECT_FALSE(fs::exists(root_ + "/calls"));
}

TEST_F(DataFileTypesTest, MissingUpdateToolIsSilent) {
    InstallCsvType();
    ::setenv("PATH", (root_ + "/nothing-here").c_str(), 1);
    EXPECT_TRUE(RegisterDataFileTypes(".lwd"));
    EXPECT_TRUE(fs::exists(root_ + "/data/mime/packages/qvm8-zul-lwd.xml"));
}

TEST_F(DataFileTypesTest, UnwritableDataFolderIsSilent) {
    InstallCsvType();
    std::ofstream(root_ + "/data") << "a file where the folder should be";
    EXPECT_FALSE(RegisterDataFileTypes(".bfd"));
    EXPECT_FALSE(fs::exists(root_ + "/calls"));
}

}  // namespace
}  // namespace zul
