// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ProfileFile.h"

#include <gtest/gtest.h>

#include <climits>

#include "TestFolder.h"

namespace zul {
namespace {

using test::ReadFile;
using test::TestFolder;
using test::WriteFile;
using List = std::vector<std::string>;

// Reads the file in cache mode and writes it back unchanged in the given layout.
std::string Rewrite(const std::string& path, int layoutMode = kLayoutSettings) {
    ProfileFile file;
    file.SetPath(path);
    file.SetLayoutMode(layoutMode);
    EXPECT_EQ(file.Begin(true), ZUL_OK);
    EXPECT_EQ(file.End(), ZUL_OK);
    return ReadFile(path);
}

class ProfileFileTest : public ::testing::Test {
protected:
    TestFolder folder_;
    std::string path_ = folder_.File("settings.zul");
};

TEST_F(ProfileFileTest, MissingFileReadsDefaultsAndIsNotCreated) {
    ProfileFile file;
    file.SetPath(path_);
    ResultInfo info;
    EXPECT_EQ(file.Begin(false, &info), ZUL_OK);
    EXPECT_TRUE(file.IsCached());
    EXPECT_EQ(file.GetInt("FORM_SOFTWARE", "", "MeasUnit", 7), 7);
    EXPECT_EQ(file.GetInt("FORM_SOFTWARE", "", "MeasUnit", -3), -3);
    EXPECT_EQ(file.GetString("A", "B", "C", "dflt"), "dflt");
    EXPECT_EQ(file.End(&info), ZUL_OK);
    EXPECT_FALSE(file.IsCached());
    EXPECT_EQ(folder_.EntryCount(), 0u);
}

TEST_F(ProfileFileTest, ReadsSectionsSubSectionsAndTrimmedNames) {
    WriteFile(path_,
              "top=1\n"
              "[  MEM0_HEADA  ]\n"
              "  SetupMode = 3 ; comment\n"
              "[CtrlAlias]\r\n"
              "\t<ARRAY>\r\n"
              "\t\tNoUSB=NoUSB\r\n"
              "\t\t\"COM 1\"=\"Line \"\"A\"\"\"\r\n");
    ProfileFile file;
    file.SetPath(path_);
    ASSERT_EQ(file.Begin(false), ZUL_OK);
    EXPECT_EQ(file.GetInt("", "", "top", 0), 1);
    EXPECT_EQ(file.GetInt("MEM0_HEADA", "", "SetupMode", 0), 3);
    EXPECT_EQ(file.GetString("CtrlAlias", "ARRAY", "NoUSB", ""), "NoUSB");
    EXPECT_EQ(file.GetString("CtrlAlias", "ARRAY", "COM 1", ""), "Line \"A\"");
    // Names are exact in cache mode.
    EXPECT_EQ(file.GetString("ctrlalias", "ARRAY", "NoUSB", "none"), "none");
    EXPECT_EQ(file.GetString("CtrlAlias", "", "NoUSB", "none"), "none");

    List keys{"stale"};
    List values{"stale"};
    ASSERT_EQ(file.GetKeyValueLists("CtrlAlias", "ARRAY", keys, values), ZUL_OK);
    EXPECT_EQ(keys, (List{"NoUSB", "COM 1"}));
    EXPECT_EQ(values, (List{"NoUSB", "Line \"A\""}));
    ASSERT_EQ(file.GetKeyValueLists("Nope", "ARRAY", keys, values), ZUL_OK);
    EXPECT_TRUE(keys.empty());
    EXPECT_TRUE(values.empty());
}

TEST_F(ProfileFileTest, LfAndCrLfFilesReadAlike) {
    WriteFile(path_, "\xEF\xBB\xBF[S]\nk=v\n");
    std::string lf = Rewrite(path_);
    WriteFile(path_, "[S]\r\nk=v\r\n");
    std::string crlf = Rewrite(path_);
    EXPECT_EQ(lf, "[S]\r\nk=v\r\n");
    EXPECT_EQ(crlf, lf);
}

TEST_F(ProfileFileTest, DuplicateKeysLastWinsAtFirstPlace) {
    WriteFile(path_, "[S]\nk=1\nother=x\nk=2\n");
    ProfileFile file;
    file.SetPath(path_);
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    EXPECT_EQ(file.GetInt("S", "", "k", 0), 2);
    ASSERT_EQ(file.End(), ZUL_OK);
    EXPECT_EQ(ReadFile(path_), "[S]\r\nk=2\r\nother=x\r\n");
}

TEST_F(ProfileFileTest, TextWithoutKeyBecomesEmptyLineAndCommentsStay) {
    WriteFile(path_, "; head comment\n\n[S] ; about S\ngarbage here\nk = v ;note\n");
    EXPECT_EQ(Rewrite(path_), "; head comment\r\n\r\n[S]\t; about S\r\n\r\nk=v\t;note\r\n");
}

TEST_F(ProfileFileTest, SetStringQuotesWhatNeedsIt) {
    ProfileFile file;
    file.SetPath(path_);
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    file.SetString("S", "", "blank", "a b");
    file.SetString("S", "", "quote", "a\"b");
    file.SetString("S", "", "semi", "x;y");
    file.SetString("S", "", "plain", "abc");
    file.SetString("S", "", "broken", "one\r\n[Evil]\r\nk=1");
    ASSERT_EQ(file.End(), ZUL_OK);
    EXPECT_EQ(ReadFile(path_),
              "[S]\r\nblank=\"a b\"\r\nquote=\"a\"\"b\"\r\nsemi=\"x;y\"\r\nplain=abc\r\n"
              "broken=one\r\n");

    ASSERT_EQ(file.Begin(false), ZUL_OK);
    EXPECT_EQ(file.GetString("S", "", "blank", ""), "a b");
    EXPECT_EQ(file.GetString("S", "", "quote", ""), "a\"b");
    EXPECT_EQ(file.GetString("S", "", "semi", ""), "x;y");
    EXPECT_EQ(file.GetString("Evil", "", "k", "absent"), "absent");
    file.End();
}

TEST_F(ProfileFileTest, SetStringUpdatesInPlaceAndAppendsNewNamesAtTheEnd) {
    WriteFile(path_, "[A]\nx=1\ny=2\n[B]\nz=3\n");
    ProfileFile file;
    file.SetPath(path_);
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    file.SetInt("A", "", "x", 10);
    file.SetInt("A", "", "w", 4);
    file.SetString("C", "SUB", "k", "v");
    file.SetDouble("B", "", "d", 1.5);
    file.SetDouble("B", "", "neg", -0.0000004);
    ASSERT_EQ(file.End(), ZUL_OK);
    EXPECT_EQ(ReadFile(path_),
              "[A]\r\nx=10\r\ny=2\r\nw=4\r\n"
              "[B]\r\nz=3\r\nd=1.500000\r\nneg=-0.000000\r\n"
              "[C]\r\n\t<SUB>\r\n\t\tk=v\r\n");
}

TEST_F(ProfileFileTest, UnnamedSubSectionIsWrittenBeforeNamedOnes) {
    ProfileFile file;
    file.SetPath(path_);
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    file.SetString("S", "Sub", "a", "1");
    file.SetString("S", "", "b", "2");
    ASSERT_EQ(file.End(), ZUL_OK);
    EXPECT_EQ(ReadFile(path_), "[S]\r\nb=2\r\n\t<Sub>\r\n\t\ta=1\r\n");
    ASSERT_EQ(file.Begin(false), ZUL_OK);
    EXPECT_EQ(file.GetString("S", "", "b", "lost"), "2");
    EXPECT_EQ(file.GetString("S", "Sub", "a", "lost"), "1");
    EXPECT_EQ(file.GetString("S", "Sub", "b", "absent"), "absent");
    file.End();
}

TEST_F(ProfileFileTest, HeaderWithEqualsSignIsNoKeyLine) {
    WriteFile(path_, "[A=B]\nk=v\n\t<x=y>\n\t\tm=n\n");
    ProfileFile file;
    file.SetPath(path_);
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    EXPECT_EQ(file.GetString("A=B", "", "k", ""), "v");
    EXPECT_EQ(file.GetString("A=B", "x=y", "m", ""), "n");
    EXPECT_EQ(file.GetString("A=B", "", "[A", "none"), "none");
    ASSERT_EQ(file.End(), ZUL_OK);
    EXPECT_EQ(ReadFile(path_), "[A=B]\r\nk=v\r\n\t<x=y>\r\n\t\tm=n\r\n");
}

TEST_F(ProfileFileTest, SettingsLayoutExample) {
    ProfileFile file;
    file.SetPath(path_);
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    file.SetInt("MEM0_HEADA", "", "SetupMode", 0);
    ASSERT_EQ(file.SetKeyValueLists("CtrlAlias", "ARRAY", {"NoUSB"}, {"NoUSB"}), ZUL_OK);
    ASSERT_EQ(file.End(), ZUL_OK);
    EXPECT_EQ(ReadFile(path_),
              "[MEM0_HEADA]\r\nSetupMode=0\r\n[CtrlAlias]\r\n\t<ARRAY>\r\n\t\tNoUSB=NoUSB\r\n");
}

TEST_F(ProfileFileTest, SetKeyValueListsReplacesTheSubSection) {
    WriteFile(path_, "[CtrlAlias]\n\t<ARRAY>\n\t\told=1 ;c\n\t\tgone=2\n[Next]\nk=v\n");
    ProfileFile file;
    file.SetPath(path_);
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    ASSERT_EQ(file.SetKeyValueLists("CtrlAlias", "ARRAY", {"COM1", "USB 2", "extra"},
                                    {"First", "Second"}),
              ZUL_OK);
    List keys;
    List values;
    file.GetKeyValueLists("CtrlAlias", "ARRAY", keys, values);
    EXPECT_EQ(keys, (List{"COM1", "USB 2"}));
    EXPECT_EQ(values, (List{"First", "Second"}));
    EXPECT_EQ(file.GetString("CtrlAlias", "ARRAY", "old", "none"), "none");
    ASSERT_EQ(file.End(), ZUL_OK);
    // The sub-section header line was one of the removed records; the writer adds it again.
    EXPECT_EQ(ReadFile(path_),
              "[CtrlAlias]\r\n\t<ARRAY>\r\n\t\tCOM1=First\r\n\t\t\"USB 2\"=Second\r\n"
              "[Next]\r\nk=v\r\n");
}

TEST_F(ProfileFileTest, IndentedLayoutsAndHeaderlessLayouts) {
    auto build = [&](int mode) {
        std::filesystem::remove(path_);
        ProfileFile file;
        file.SetPath(path_);
        file.SetLayoutMode(mode);
        EXPECT_EQ(file.Begin(true), ZUL_OK);
        file.SetString("S", "", "a", "1");
        file.SetString("S", "Sub", "b", "2");
        int rows = 0;
        file.AddCsvBlock(
            "Data", "CSV",
            [&rows](int64_t, int64_t, ResultInfo&, int64_t&, bool& done, std::string& line) {
                if (rows == 2) {
                    done = true;
                    line = "never written";
                    return;
                }
                line = "row" + std::to_string(rows++);
            },
            0, 0);
        EXPECT_EQ(file.End(), ZUL_OK);
        return ReadFile(path_);
    };
    const std::string indented =
        "[S]\r\n\t\ta=1\r\n\t<Sub>\r\n\t\tb=2\r\n[Data]\r\n\t<CSV>\r\nrow0\r\nrow1\r\n";
    EXPECT_EQ(build(kLayoutIndented), indented);
    EXPECT_EQ(build(kLayoutDataFile), indented);
    EXPECT_EQ(build(kLayoutCsvOnly), "row0\r\nrow1\r\n");
    EXPECT_EQ(build(kLayoutCsvExport), "row0\r\nrow1\r\n");
    EXPECT_EQ(build(kLayoutSettings),
              "[S]\r\na=1\r\n\t<Sub>\r\n\t\tb=2\r\n[Data]\r\n\t<CSV>\r\nrow0\r\nrow1\r\n");
}

TEST_F(ProfileFileTest, CsvWriterStateAndContexts) {
    ProfileFile file;
    file.SetPath(path_);
    file.SetLayoutMode(kLayoutCsvExport);
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    auto writer = [](int64_t first, int64_t count, ResultInfo&, int64_t& state, bool& done,
                     std::string& line) {
        if (state == count) {
            done = true;
            return;
        }
        line = std::to_string(first + state);
        ++state;
    };
    file.AddCsvBlock("D", "CSV", writer, 10, 3);
    file.AddCsvBlock("D", "CSV", writer, 100, 1);  // its own state, starting at 0 again
    ASSERT_EQ(file.End(), ZUL_OK);
    EXPECT_EQ(ReadFile(path_), "10\r\n11\r\n12\r\n100\r\n");
}

TEST_F(ProfileFileTest, CsvBlocksAreReadByOffsets) {
    const std::string content =
        "[Setting]\r\n"
        "\t<Common>\r\n"
        "\t\tComment=x\r\n"
        "[Data]\r\n"
        "\t<CSV>\r\n"
        "0,Output1,Output2\r\n"
        "1,\"1,5\",k=v ; not a comment\r\n"
        "<Other>\r\n"
        "\t<csv>\n"
        "2,3\n"
        "[After]\n"
        "k=v\n";
    WriteFile(path_, content);
    ProfileFile file;
    file.SetPath(path_);
    ASSERT_EQ(file.Begin(false), ZUL_OK);
    EXPECT_EQ(file.GetString("After", "", "k", ""), "v");
    EXPECT_EQ(file.GetString("Data", "CSV", "k", "none"), "none");  // data lines are not parsed

    const ProfileSubSection* csv = file.Model().FindSubSection("Data", "CSV");
    ASSERT_NE(csv, nullptr);
    ASSERT_EQ(csv->records.size(), 1u);
    const LineRecord& block = *csv->records[0];
    EXPECT_TRUE(block.isCsvBlock);
    EXPECT_EQ(block.blockStart, static_cast<int64_t>(content.find("0,Output1")));
    EXPECT_EQ(block.blockEnd, static_cast<int64_t>(content.find("<Other>")));

    List lines;
    auto collect = [&lines](int64_t c1, int64_t c2, ResultInfo&, int64_t& state, bool&,
                            const std::string& line) {
        EXPECT_EQ(c1, 5);
        EXPECT_EQ(c2, 6);
        lines.push_back(std::to_string(state++) + ":" + line);
    };
    ASSERT_EQ(file.ReadCsvBlocks("Data", "CSV", collect, 5, 6), ZUL_OK);
    EXPECT_EQ(lines, (List{"0:0,Output1,Output2", "1:1,\"1,5\",k=v ; not a comment"}));

    lines.clear();
    ASSERT_EQ(file.ReadCsvBlocks("Data", "csv", collect, 5, 6), ZUL_OK);
    EXPECT_EQ(lines, (List{"0:2,3"}));

    lines.clear();
    ASSERT_EQ(file.ReadCsvBlocks("Data", "Missing", collect, 5, 6), ZUL_OK);
    EXPECT_TRUE(lines.empty());
}

TEST_F(ProfileFileTest, BracketedDataLineEndsTheBlockAndEndOfFileClosesIt) {
    WriteFile(path_, "[D]\n<CSV>\n1\n[2]\n3\n[E]\n<CSV>\n4\n5");
    ProfileFile file;
    file.SetPath(path_);
    ASSERT_EQ(file.Begin(false), ZUL_OK);
    List lines;
    auto collect = [&lines](int64_t, int64_t, ResultInfo&, int64_t&, bool&,
                            const std::string& line) { lines.push_back(line); };
    file.ReadCsvBlocks("D", "CSV", collect, 0, 0);
    EXPECT_EQ(lines, (List{"1"}));
    EXPECT_NE(file.Model().FindSection("2"), nullptr);
    lines.clear();
    file.ReadCsvBlocks("E", "CSV", collect, 0, 0);
    EXPECT_EQ(lines, (List{"4", "5"}));
}

TEST_F(ProfileFileTest, ReaderErrorOrDoneStopsEverything) {
    WriteFile(path_, "[D]\n<CSV>\na\nb\n<X>\n<CSV>\nc\n");
    ProfileFile file;
    file.SetPath(path_);
    ASSERT_EQ(file.Begin(false), ZUL_OK);
    List lines;
    auto stopAtB = [&lines](int64_t, int64_t, ResultInfo&, int64_t&, bool& done,
                            const std::string& line) {
        lines.push_back(line);
        done = line == "b";
    };
    EXPECT_EQ(file.ReadCsvBlocks("D", "CSV", stopAtB, 0, 0), ZUL_OK);
    EXPECT_EQ(lines, (List{"a", "b"}));

    lines.clear();
    auto failAtA = [&lines](int64_t, int64_t, ResultInfo& result, int64_t&, bool&,
                            const std::string& line) {
        lines.push_back(line);
        SetResult(&result, ZUL_ERR_MEMORY_OVER, 0, "row");
    };
    ResultInfo info;
    EXPECT_EQ(file.ReadCsvBlocks("D", "CSV", failAtA, 0, 0, &info), ZUL_ERR_MEMORY_OVER);
    EXPECT_EQ(info.code, ZUL_ERR_MEMORY_OVER);
    EXPECT_EQ(info.detail1, "row");
    EXPECT_EQ(lines, (List{"a"}));
}

TEST_F(ProfileFileTest, RewritingKeepsTheDataLinesOfBlocksReadFromTheFile) {
    WriteFile(path_, "[Setting]\n\t<Common>\n\t\tStoreNum=3\n[Data]\n\t<CSV>\n0,a\n1,\"2,5\"\n");
    ProfileFile file;
    file.SetPath(path_);
    file.SetLayoutMode(kLayoutDataFile);
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    file.SetInt("Setting", "Common", "StoreNum", 4);
    ASSERT_EQ(file.End(), ZUL_OK);
    EXPECT_EQ(ReadFile(path_),
              "[Setting]\r\n\t<Common>\r\n\t\tStoreNum=4\r\n[Data]\r\n\t<CSV>\r\n0,a\r\n"
              "1,\"2,5\"\r\n");
}

TEST_F(ProfileFileTest, ListAndCsvOperationsNeedCacheMode) {
    ProfileFile file;
    file.SetPath(path_);
    List keys;
    List values;
    ResultInfo info;
    EXPECT_EQ(file.GetKeyValueLists("S", "", keys, values, &info), ZUL_ERR);
    EXPECT_EQ(info.code, ZUL_ERR);
    EXPECT_EQ(file.SetKeyValueLists("S", "", keys, values, &info), ZUL_ERR);
    EXPECT_EQ(file.AddCsvBlock("S", "CSV", nullptr, 0, 0, &info), ZUL_ERR);
    EXPECT_EQ(file.ReadCsvBlocks("S", "CSV", nullptr, 0, 0, &info), ZUL_ERR);
    EXPECT_EQ(file.End(&info), ZUL_OK);  // End outside cache mode does nothing
    EXPECT_EQ(folder_.EntryCount(), 0u);
}

TEST_F(ProfileFileTest, SecondBeginOnlyChangesTheWriteFlag) {
    WriteFile(path_, "[S]\nk=1\n");
    ProfileFile file;
    file.SetPath(path_);
    ASSERT_EQ(file.Begin(false), ZUL_OK);
    EXPECT_FALSE(file.IsForWrite());
    file.SetInt("S", "", "k", 2);
    WriteFile(path_, "[S]\nk=99\n");  // not read again
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    EXPECT_TRUE(file.IsForWrite());
    EXPECT_EQ(file.GetInt("S", "", "k", 0), 2);
    ASSERT_EQ(file.End(), ZUL_OK);
    EXPECT_EQ(ReadFile(path_), "[S]\r\nk=2\r\n");

    // Begun for writing, then switched to reading: End writes nothing.
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    file.SetInt("S", "", "k", 3);
    ASSERT_EQ(file.Begin(false), ZUL_OK);
    ASSERT_EQ(file.End(), ZUL_OK);
    EXPECT_EQ(ReadFile(path_), "[S]\r\nk=2\r\n");
}

TEST_F(ProfileFileTest, GetIntConvertsLikeTheStandardDecimalConversion) {
    WriteFile(path_, "[S]\na=  -12abc\nb=abc\nc=+7\nd=99999999999\ne=-99999999999\nf=\n");
    ProfileFile file;
    file.SetPath(path_);
    ASSERT_EQ(file.Begin(false), ZUL_OK);
    EXPECT_EQ(file.GetInt("S", "", "a", 5), -12);
    EXPECT_EQ(file.GetInt("S", "", "b", 5), 0);
    EXPECT_EQ(file.GetInt("S", "", "c", 5), 7);
    EXPECT_EQ(file.GetInt("S", "", "d", 5), INT32_MAX);
    EXPECT_EQ(file.GetInt("S", "", "e", 5), INT32_MIN);
    EXPECT_EQ(file.GetInt("S", "", "f", 5), 0);
    EXPECT_EQ(file.GetInt("S", "", "g", INT32_MIN), INT32_MIN);
}

TEST_F(ProfileFileTest, RoundTripOfManyValues) {
    ProfileFile file;
    file.SetPath(path_);
    ASSERT_EQ(file.Begin(true), ZUL_OK);
    for (int m = 0; m < 16; ++m) {
        for (int k = 0; k < 20; ++k) {
            file.SetString("MEM" + std::to_string(m), k % 3 == 0 ? "" : "S" + std::to_string(k % 3),
                           "Key" + std::to_string(k),
                           "v " + std::to_string(m * 100 + k) + (k % 2 ? ";x\"y\"" : ""));
        }
    }
    ASSERT_EQ(file.End(), ZUL_OK);
    const std::string first = ReadFile(path_);
    ASSERT_EQ(file.Begin(false), ZUL_OK);
    for (int m = 0; m < 16; ++m) {
        for (int k = 0; k < 20; ++k) {
            EXPECT_EQ(file.GetString("MEM" + std::to_string(m),
                                     k % 3 == 0 ? "" : "S" + std::to_string(k % 3),
                                     "Key" + std::to_string(k), ""),
                      "v " + std::to_string(m * 100 + k) + (k % 2 ? ";x\"y\"" : ""));
        }
    }
    file.End();
    EXPECT_EQ(Rewrite(path_), first);
}

TEST_F(ProfileFileTest, CopyTakesPathAndLayoutOnlyAndDestructionEnds) {
    ProfileFile original;
    original.SetPath(path_);
    original.SetLayoutMode(kLayoutDataFile);
    ASSERT_EQ(original.Begin(true), ZUL_OK);
    original.SetInt("S", "", "k", 1);

    ProfileFile copy(original);
    EXPECT_EQ(copy.Path(), path_);
    EXPECT_EQ(copy.LayoutMode(), kLayoutDataFile);
    EXPECT_FALSE(copy.IsCached());
    ProfileFile assigned;
    assigned = original;
    EXPECT_EQ(assigned.Path(), path_);
    EXPECT_FALSE(assigned.IsCached());

    {
        ProfileFile scoped;
        scoped.SetPath(folder_.File("scoped.zul"));
        ASSERT_EQ(scoped.Begin(true), ZUL_OK);
        scoped.SetInt("S", "", "k", 5);
    }  // the destructor ends cache mode and writes
    EXPECT_EQ(ReadFile(folder_.File("scoped.zul")), "[S]\r\nk=5\r\n");
    EXPECT_EQ(original.End(), ZUL_OK);
    EXPECT_EQ(ReadFile(path_), "[S]\r\n\t\tk=1\r\n");
}

TEST(ProfileFilePath, DefaultAndRelativePathsFollowTheExecutable) {
    std::string exe = ExecutablePath();
    ASSERT_FALSE(exe.empty());
    std::string folder = exe.substr(0, exe.find_last_of('/') + 1);
    ProfileFile file;
    EXPECT_EQ(file.Path(), exe + ".zul");  // the test binary has no extension
    file.SetPath("sub/x.zul");
    EXPECT_EQ(file.Path(), folder + "sub/x.zul");
    file.SetPath("/abs/x.zul");
    EXPECT_EQ(file.Path(), "/abs/x.zul");
    file.SetPath("C:x.zul");
    EXPECT_EQ(file.Path(), "C:x.zul");
}

// Direct mode: each call goes to the file.
TEST_F(ProfileFileTest, DirectModeComposesSectionNames) {
    WriteFile(path_, "[CtrlAlias]\n\t<ARRAY>\n\t\tNoUSB=cache\n[CtrlAlias_ARRAY]\nNoUSB=direct\n");
    ProfileFile file;
    file.SetPath(path_);
    EXPECT_EQ(file.GetString("CtrlAlias", "ARRAY", "NoUSB", ""), "direct");
    EXPECT_EQ(file.GetString("ctrlalias", "array", "nousb", ""), "direct");  // no case
    ASSERT_EQ(file.Begin(false), ZUL_OK);
    EXPECT_EQ(file.GetString("CtrlAlias", "ARRAY", "NoUSB", ""), "cache");
    file.End();
}

TEST_F(ProfileFileTest, DirectModeWritesAndReads) {
    ProfileFile file;
    file.SetPath(path_);
    ResultInfo info;
    EXPECT_EQ(file.GetString("A", "", "k", "none"), "none");
    ASSERT_EQ(file.SetString("A", "", "k", "1", &info), ZUL_OK);
    ASSERT_EQ(file.SetString("B", "S", "x", "two words"), ZUL_OK);
    ASSERT_EQ(file.SetInt("A", "", "n", 5), ZUL_OK);
    ASSERT_EQ(file.SetString("a", "", "K", "3"), ZUL_OK);  // replaces k in place
    EXPECT_EQ(ReadFile(path_), "[A]\r\nK=3\r\nn=5\r\n[B_S]\r\nx=two words\r\n");
    EXPECT_EQ(file.GetInt("A", "", "k", 0), 3);
    EXPECT_EQ(file.GetString("B", "S", "x", ""), "two words");
    EXPECT_EQ(file.GetString("B", "", "x", "none"), "none");
    EXPECT_EQ(folder_.EntryCount(), 1u);
}

TEST_F(ProfileFileTest, DirectModeKeepsOtherLinesAndInsertsAfterTheLastKey) {
    WriteFile(path_, "; keep me\n[A]\nk = \"quoted\"\n\n[B]\ny=1\n");
    ProfileFile file;
    file.SetPath(path_);
    EXPECT_EQ(file.GetString("A", "", "k", ""), "quoted");
    ASSERT_EQ(file.SetString("A", "", "new", "v"), ZUL_OK);
    EXPECT_EQ(ReadFile(path_), "; keep me\r\n[A]\r\nk = \"quoted\"\r\nnew=v\r\n\r\n[B]\r\ny=1\r\n");
}

TEST_F(ProfileFileTest, DirectModeCutsValuesAt260Bytes) {
    std::string longValue(300, 'x');
    std::string wide;
    for (int i = 0; i < 100; ++i) {
        wide += "\xE3\x81\x81";  // 300 bytes, 3 per character
    }
    ProfileFile file;
    file.SetPath(path_);
    ASSERT_EQ(file.SetString("S", "", "long", longValue), ZUL_OK);
    ASSERT_EQ(file.SetString("S", "", "wide", wide), ZUL_OK);
    EXPECT_EQ(file.GetString("S", "", "long", ""), std::string(260, 'x'));
    EXPECT_EQ(file.GetString("S", "", "wide", ""), wide.substr(0, 258));  // whole characters
    EXPECT_EQ(file.GetString("S", "", "missing", longValue), std::string(260, 'x'));
    // Cache mode does not cut.
    ASSERT_EQ(file.Begin(false), ZUL_OK);
    EXPECT_EQ(file.GetString("S", "", "long", ""), longValue);
    file.End();
}

TEST_F(ProfileFileTest, DirectWriteFailureIsReported) {
    ProfileFile file;
    file.SetPath(folder_.File("no/such/folder/x.zul"));
    ResultInfo info;
    EXPECT_EQ(file.SetString("S", "", "k", "v", &info), ZUL_ERR_OS_FILE_WRITE);
    EXPECT_EQ(info.code, ZUL_ERR_OS_FILE_WRITE);
    EXPECT_EQ(info.osError, ENOENT);
    EXPECT_EQ(file.GetString("S", "", "k", "d"), "d");
}

TEST_F(ProfileFileTest, BeginFailuresAreCodedAndLeaveNoCache) {
    ProfileFile file;
    file.SetPath(folder_.Path());  // a folder is refused before anything is read
    ResultInfo info;
    EXPECT_EQ(file.Begin(false, &info), ZUL_ERR_FILE_READ);
    EXPECT_EQ(info.osError, EISDIR);
    EXPECT_EQ(info.detail1, folder_.Path());
    EXPECT_FALSE(file.IsCached());
    EXPECT_EQ(file.Begin(true, &info), ZUL_ERR_FILE_READ);
    EXPECT_EQ(info.osError, EISDIR);
    EXPECT_FALSE(file.IsCached());

    file.SetPath(folder_.File("missing/x.zul"));
    EXPECT_EQ(file.Begin(true, &info), ZUL_ERR_FILE_READ);
    EXPECT_EQ(info.osError, ENOENT);
    EXPECT_FALSE(file.IsCached());
}

}  // namespace
}  // namespace zul
