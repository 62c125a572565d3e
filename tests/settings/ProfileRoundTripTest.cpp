// SPDX-License-Identifier: GPL-3.0-or-later
// Randomised round trips: whatever keys and values are stored must read back unchanged, and a
// file rewritten once must be stable under further rewrites.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <random>

#include "TestFolder.h"
#include "settings/ProfileFile.h"

namespace zul {
namespace {

using test::ReadFile;
using test::TestFolder;
using test::WriteFile;

// Pieces that exercise quoting, comments, separators, headers and trimming.
const std::vector<std::string> kPieces = {"a",
                                          "Z",
                                          "0",
                                          " ",
                                          "\t",
                                          "\"",
                                          "\"\"",
                                          ";",
                                          "=",
                                          ",",
                                          "[",
                                          "]",
                                          "{",
                                          "}",
                                          "(",
                                          ")",
                                          "<",
                                          ">",
                                          "\\",
                                          "\xE3\x80\x80",
                                          "\xE3\x81\x81",
                                          "@",
                                          "\xE3\x81\x81@",
                                          "x y",
                                          "CSV",
                                          "#"};

std::string RandomText(std::mt19937& rng, size_t maxPieces) {
    std::uniform_int_distribution<size_t> count(0, maxPieces);
    std::uniform_int_distribution<size_t> pick(0, kPieces.size() - 1);
    std::string text;
    for (size_t i = count(rng); i > 0; --i) {
        text += kPieces[pick(rng)];
    }
    return text;
}

TEST(ProfileRoundTrip, RandomKeysAndValuesReadBackUnchanged) {
    TestFolder folder;
    const std::string path = folder.File("random.zul");
    std::mt19937 rng(20161209);
    for (int round = 0; round < 40; ++round) {
        std::filesystem::remove(path);
        std::vector<std::array<std::string, 4>> entries;
        ProfileFile file;
        file.SetPath(path);
        file.SetLayoutMode(round % 2 == 0 ? kLayoutSettings : kLayoutDataFile);
        ASSERT_EQ(file.Begin(true), ZUL_OK);
        for (int i = 0; i < 60; ++i) {
            std::string section = "S" + std::to_string(i % 5);
            std::string sub = i % 3 == 0 ? "" : "Sub" + std::to_string(i % 3);
            std::string key = RandomText(rng, 4) + "k" + std::to_string(i);
            std::string value = RandomText(rng, 6);
            file.SetString(section, sub, key, value);
            entries.push_back({section, sub, key, value});
        }
        ASSERT_EQ(file.End(), ZUL_OK);
        const std::string written = ReadFile(path);

        ASSERT_EQ(file.Begin(false), ZUL_OK);
        for (const auto& [section, sub, key, value] : entries) {
            EXPECT_EQ(file.GetString(section, sub, key, "<missing>"), value)
                << "key [" << key << "] in\n"
                << written;
        }
        file.End();
    }
}

TEST(ProfileRoundTrip, RewrittenFilesAreStable) {
    TestFolder folder;
    const std::string path = folder.File("noise.zul");
    std::mt19937 rng(7);
    const std::vector<std::string> lineStarts = {"", "[", "<", "\t", " ", "\"", ";", "k="};
    std::uniform_int_distribution<size_t> pickStart(0, lineStarts.size() - 1);
    std::uniform_int_distribution<int> lineCount(0, 30);
    std::uniform_int_distribution<int> lineEnd(0, 3);
    for (int round = 0; round < 100; ++round) {
        std::string content;
        for (int i = lineCount(rng); i > 0; --i) {
            content += lineStarts[pickStart(rng)] + RandomText(rng, 8);
            switch (lineEnd(rng)) {
                case 0:
                    content += "]";
                    break;
                case 1:
                    content += ">";
                    break;
                default:
                    break;
            }
            content += i % 2 == 0 ? "\n" : "\r\n";
        }
        WriteFile(path, content);
        ProfileFile file;
        file.SetPath(path);
        ASSERT_EQ(file.Begin(true), ZUL_OK);
        ASSERT_EQ(file.End(), ZUL_OK);
        const std::string once = ReadFile(path);
        ASSERT_EQ(file.Begin(true), ZUL_OK);
        ASSERT_EQ(file.End(), ZUL_OK);
        EXPECT_EQ(ReadFile(path), once) << "from\n" << content;
    }
}

}  // namespace
}  // namespace zul
