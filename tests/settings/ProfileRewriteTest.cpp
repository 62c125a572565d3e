// SPDX-License-Identifier: GPL-3.0-or-later
// BeginRewrite: an empty model for writing, while the old file stays until End succeeds.
#include <gtest/gtest.h>

#include "TestFolder.h"
#include "settings/ProfileFile.h"

namespace zul {
namespace {

using test::ReadFile;
using test::TestFolder;
using test::WriteFile;

TEST(ProfileRewrite, StartsEmptyAndReplacesTheFileAtEnd) {
    TestFolder folder;
    std::string path = folder.File("x.bfd");
    WriteFile(path, "[Old]\r\nKey=1\r\n");
    ProfileFile file;
    file.SetPath(path);
    ASSERT_EQ(file.BeginRewrite(), ZUL_OK);
    EXPECT_TRUE(file.IsCached());
    EXPECT_TRUE(file.IsForWrite());
    EXPECT_EQ(file.GetString("Old", "", "Key", "none"), "none");
    // Until End the old file is untouched.
    EXPECT_EQ(ReadFile(path), "[Old]\r\nKey=1\r\n");
    file.SetInt("New", "", "Key", 2);
    ASSERT_EQ(file.End(), ZUL_OK);
    std::string text = ReadFile(path);
    EXPECT_EQ(text.find("Old"), std::string::npos);
    EXPECT_NE(text.find("Key=2"), std::string::npos);
}

TEST(ProfileRewrite, DropsACacheBegunBefore) {
    TestFolder folder;
    std::string path = folder.File("y.bfd");
    WriteFile(path, "[Old]\r\nKey=1\r\n");
    ProfileFile file;
    file.SetPath(path);
    ASSERT_EQ(file.Begin(false), ZUL_OK);
    EXPECT_EQ(file.GetString("Old", "", "Key", "none"), "1");
    ASSERT_EQ(file.BeginRewrite(), ZUL_OK);
    EXPECT_EQ(file.GetString("Old", "", "Key", "none"), "none");
    ASSERT_EQ(file.End(), ZUL_OK);
    EXPECT_EQ(ReadFile(path).find("Old"), std::string::npos);
}

}  // namespace
}  // namespace zul
