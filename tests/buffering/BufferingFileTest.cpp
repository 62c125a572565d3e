// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffering/BufferingFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "buffering/BufferingStatistics.h"
#include "buffering/TempFolder.h"
#include "settings/ProfileFile.h"

namespace zul {
namespace {

using testing::ReadLines;
using testing::TempFolder;
using testing::WriteWholeFile;

class BufferingFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp.Ok()); }

    static void Fill(BufferingData& data, int output, std::initializer_list<double> values) {
        size_t i = 0;
        for (double v : values) {
            data.outputs[static_cast<size_t>(output)].values[i++] = v;
        }
        data.header[BufferingValueSet::FinalDataPoint(output)] = static_cast<int32_t>(i);
    }

    TempFolder temp;
    std::unique_ptr<BufferingData> data = std::make_unique<BufferingData>();
};

TEST_F(BufferingFileTest, ExportRowsOfThreeAndOneValues) {
    Fill(*data, 0, {1.5, -2.25, 3.0});
    Fill(*data, 1, {0.000001});
    std::string path = temp.File("run.csv");
    ASSERT_EQ(SaveBufferingFile(*data, path, true, DataFileOptions{}, nullptr), ZUL_OK);
    EXPECT_EQ(ReadLines(path),
              "0,Output1,Output2\n"
              "1,1.500000,0.000001\n"
              "2,-2.250000,\n"
              "3,3.000000,\n");
}

TEST_F(BufferingFileTest, ExportWithoutValuesHoldsTheTitleRowOnly) {
    std::string path = temp.File("empty.CSV");
    ASSERT_EQ(SaveBufferingFile(*data, path, true, DataFileOptions{}, nullptr), ZUL_OK);
    EXPECT_EQ(ReadLines(path), "0,Output1,Output2\n");
}

TEST_F(BufferingFileTest, DecimalCommaIsQuotedAndReadsBack) {
    Fill(*data, 0, {1.5, -0.25});
    DataFileOptions options;
    options.csvSeparator = 1;
    options.csvUnderdigit = 1;
    std::string path = temp.File("comma.bfd");
    ASSERT_EQ(SaveBufferingFile(*data, path, false, options, nullptr), ZUL_OK);
    std::string text = ReadLines(path);
    EXPECT_NE(text.find("\n1;\"1,500000\";\n2;\"-0,250000\";\n"), std::string::npos) << text;

    auto loaded = std::make_unique<BufferingData>();
    ResultInfo info;
    ASSERT_EQ(LoadBufferingFile(*loaded, path, DataFileOptions{}, &info), ZUL_OK);
    EXPECT_EQ(loaded->trailer.csvSeparator, 1);
    EXPECT_EQ(loaded->trailer.csvUnderdigit, 1);
    EXPECT_EQ(loaded->HeldCount(0), 2);
    EXPECT_DOUBLE_EQ(loaded->outputs[0].values[0], 1.5);
    EXPECT_DOUBLE_EQ(loaded->outputs[0].values[1], -0.25);
}

TEST_F(BufferingFileTest, MicronFactorAppliesToExportsOnly) {
    Fill(*data, 0, {1.234});
    DataFileOptions options;
    options.micronMode = true;
    options.micronFactor = 1000.0;
    std::string csv = temp.File("micron.csv");
    std::string bfd = temp.File("micron.bfd");
    ASSERT_EQ(SaveBufferingFile(*data, csv, true, options, nullptr), ZUL_OK);
    EXPECT_EQ(ReadLines(csv), "0,Output1,Output2\n1,1234.000000,\n");
    ASSERT_EQ(SaveBufferingFile(*data, bfd, false, options, nullptr), ZUL_OK);
    EXPECT_NE(ReadLines(bfd).find("\n1,1.234000,\n"), std::string::npos);
    EXPECT_DOUBLE_EQ(data->trailer.valueFactor, 1.0);
}

TEST_F(BufferingFileTest, DataFileRoundTripReproducesHeaderCommentAndValues) {
    for (int slot = 0; slot <= 8; ++slot) {
        data->header[slot] = slot * 3 + 1;
    }
    data->header[kSlotTriggerDelay] = -123456;
    data->header[kSlotTriggerCount1] = 17;
    data->header[kSlotTriggerCount1 + 1] = 18;
    data->trailer.comment = "line one\nline \"two\"\t= [x]; \\ end\x01\x7f";
    Fill(*data, 0, {-949.999999, 0.0, 12.345678, 950.0000002});
    Fill(*data, 1, {1.0, 2.0, 3.0, 4.0, 5.0, 6.0});
    DataFileOptions options;
    options.csvSeparator = 2;
    std::string path = temp.File("round.bfd");
    ASSERT_EQ(SaveBufferingFile(*data, path, false, options, nullptr), ZUL_OK);
    EXPECT_NE(ReadLines(path).find("\n1\t-949.999999\t1.000000\n"), std::string::npos);

    auto loaded = std::make_unique<BufferingData>();
    loaded->outputs[0].cache.sortedAllValid = 1;
    ASSERT_EQ(LoadBufferingFile(*loaded, path, DataFileOptions{}, nullptr), ZUL_OK);
    EXPECT_EQ(loaded->trailer.comment, data->trailer.comment);
    EXPECT_EQ(loaded->trailer.csvSeparator, 2);
    EXPECT_EQ(loaded->trailer.csvUnderdigit, 0);
    for (int slot : {0, 1, 2, 3, 4, 5, 6, 7, 8, 12, 13, 23, 24}) {
        EXPECT_EQ(loaded->header[slot], data->header[slot]) << slot;
    }
    EXPECT_EQ(loaded->outputs[0].cache.sortedAllValid, 0);
    for (int output = 0; output < 2; ++output) {
        for (int32_t i = 0; i < data->HeldCount(output); ++i) {
            EXPECT_NEAR(loaded->outputs[output].values[i], data->outputs[output].values[i], 1e-6);
        }
    }
}

TEST_F(BufferingFileTest, InfoSectionHoldsTheStatistics) {
    Fill(*data, 0, {1.0, 2.0, 3.0, 4.0});
    data->outputs[0].display.horizontalOn = 1;
    data->outputs[0].display.horizontalLeft = 2;
    data->outputs[0].display.horizontalRight = 3;
    data->outputs[0].display.verticalTop = 5.0;  // vertical measuring off
    data->header[kSlotTriggerCount1 + 1] = 9;
    ComputeBufferingStatistics(*data, BufferingValueSet{});
    std::string path = temp.File("info.bfd");
    ASSERT_EQ(SaveBufferingFile(*data, path, false, DataFileOptions{}, nullptr), ZUL_OK);

    ProfileFile file;
    file.SetPath(path);
    ASSERT_EQ(file.Begin(false), ZUL_OK);
    EXPECT_EQ(file.GetString("Info", "Output1", "AllDataAve", ""), "2.500000");
    EXPECT_EQ(file.GetString("Info", "Output1", "AllDataMid", ""), "3.000000");
    EXPECT_EQ(file.GetString("Info", "Output1", "VerticalTop", ""), "0.000000");
    EXPECT_EQ(file.GetInt("Info", "Output1", "HorizontalLeft", -1), 2);
    EXPECT_EQ(file.GetInt("Info", "Output1", "HorizontalRange", -1), 1);
    EXPECT_EQ(file.GetString("Info", "Output1", "BetweenDataAve", ""), "2.500000");
    EXPECT_EQ(file.GetInt("Info", "Output2", "TriggerCount", -1), 9);
    EXPECT_EQ(file.GetInt("Setting", "Common", "FinalDataPoint1", -1), 4);
    EXPECT_EQ(file.GetInt("Setting", "Common", "FinalDataPoint2", -1), 0);
    file.End();
}

TEST_F(BufferingFileTest, SavingReplacesAnOlderFileCompletely) {
    std::string path = temp.File("old.bfd");
    WriteWholeFile(path, "[Stale]\nKey=1\n[Data]\n\t<CSV>\n1,5.0,6.0\n");
    Fill(*data, 0, {7.0});
    ASSERT_EQ(SaveBufferingFile(*data, path, false, DataFileOptions{}, nullptr), ZUL_OK);
    std::string text = ReadLines(path);
    EXPECT_EQ(text.find("Stale"), std::string::npos);
    EXPECT_EQ(text.find("5.0"), std::string::npos);
}

std::string HandWritten(const std::string& rows, int count1, int count2) {
    return "[Setting]\n\t<Common>\n\t\tComment=hand\\nmade\n\t\tBufferType=0\n"
           "\t\tFinalDataPoint1=" +
           std::to_string(count1) + "\n\t\tFinalDataPoint2=" + std::to_string(count2) +
           "\n[Data]\n\t<CSV>\n" + rows;
}

TEST_F(BufferingFileTest, RowsArePlacedByNumber) {
    std::string ascending = temp.File("asc.bfd");
    std::string reversed = temp.File("rev.bfd");
    WriteWholeFile(ascending,
                   HandWritten("0,Output1,Output2\n1,1.1,2.1\n2,1.2,2.2\n3,1.3,\n", 3, 2));
    WriteWholeFile(reversed,
                   HandWritten("3,1.3,\n2,1.2,2.2\n1,1.1,2.1\n0,Output1,Output2\n", 3, 2));
    auto a = std::make_unique<BufferingData>();
    auto b = std::make_unique<BufferingData>();
    ASSERT_EQ(LoadBufferingFile(*a, ascending, DataFileOptions{}, nullptr), ZUL_OK);
    ASSERT_EQ(LoadBufferingFile(*b, reversed, DataFileOptions{}, nullptr), ZUL_OK);
    EXPECT_EQ(a->trailer.comment, "hand\nmade");
    for (int output = 0; output < 2; ++output) {
        EXPECT_EQ(a->HeldCount(output), 3 - output);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(a->outputs[output].values[i], b->outputs[output].values[i]);
        }
    }
    EXPECT_DOUBLE_EQ(b->outputs[0].values[2], 1.3);
    EXPECT_DOUBLE_EQ(b->outputs[1].values[0], 2.1);
}

TEST_F(BufferingFileTest, RowsBeyondTheStatedCountAreSkipped) {
    std::string rows;
    for (int n = 1; n <= 10; ++n) {
        rows += std::to_string(n) + "," + std::to_string(n) + ".5,\n";
    }
    std::string path = temp.File("long.bfd");
    WriteWholeFile(path, HandWritten(rows, 2, 0));
    data->outputs[0].values[2] = 99.0;
    ASSERT_EQ(LoadBufferingFile(*data, path, DataFileOptions{}, nullptr), ZUL_OK);
    EXPECT_EQ(data->HeldCount(0), 2);
    EXPECT_DOUBLE_EQ(data->outputs[0].values[0], 1.5);
    EXPECT_DOUBLE_EQ(data->outputs[0].values[1], 2.5);
    EXPECT_DOUBLE_EQ(data->outputs[0].values[2], 99.0);
}

TEST_F(BufferingFileTest, CountsAreBoundedAndUnnumberedRowsSkipped) {
    std::string path = temp.File("bounded.bfd");
    std::string rows = "x,1.0,1.0\n-1,3.0\n65001,5.0,5.0\n2junk,4.0\n";
    for (int n = 65000; n >= 1; --n) {
        rows += std::to_string(n) + ",\"" + std::to_string(n % 7) + ".5\"\n";
    }
    rows += "1,9.25\n";  // a repeated number: the last row wins
    WriteWholeFile(path, HandWritten(rows, 999999, -3));
    ResultInfo info;
    ASSERT_EQ(LoadBufferingFile(*data, path, DataFileOptions{}, &info), ZUL_OK) << info.detail2;
    EXPECT_EQ(data->header[kSlotFinalDataPoint1], 65000);
    EXPECT_EQ(data->header[kSlotFinalDataPoint1 + 1], 0);
    EXPECT_DOUBLE_EQ(data->outputs[0].values[0], 9.25);
    EXPECT_DOUBLE_EQ(data->outputs[0].values[1], 2.5);
    EXPECT_DOUBLE_EQ(data->outputs[0].values[64999], 5.5);
}

std::string Utf16(const std::string& text) {
    std::string wide = "\xff\xfe";
    for (char c : text) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

// Every kind of file that is not a complete data file fails with the file and the reason, and
// the values, counts, settings and comment shown before stay exactly as they were.
TEST_F(BufferingFileTest, BadFilesFailWithTheReasonAndKeepTheData) {
    std::string random(5000, '\0');
    uint32_t seed = 12345;
    for (char& c : random) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    const std::string good = HandWritten("1,1.5,2.5\n2,1.25,\n", 2, 1);
    struct Case {
        const char* name;
        std::string content;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", "", "holds no buffering data"},
        {"random", random, "holds no buffering data"},
        {"csv export", "0,Output1,Output2\r\n1,1.500000,2.500000\r\n", "holds no buffering data"},
        {"utf-16", Utf16(good), "holds no buffering data"},
        {"count not a number",
         "[Setting]\n\t<Common>\n\t\tFinalDataPoint1=abc\n\t\tFinalDataPoint2=0\n",
         "holds no buffering data"},
        {"more declared than held", HandWritten("1,1.0,\n2,2.0,\n", 1000, 0),
         "states 1000 values of OUT1 but holds 2"},
        {"second output short", HandWritten("1,1.0,2.0\n2,2.0,\n", 2, 2),
         "value 2 of OUT2 is missing"},
        {"nan", HandWritten("1,nan,\n", 1, 0), "value 1 of OUT1 is not a value: \"nan\""},
        {"text", HandWritten("1,1.0,abc\n", 1, 1), "value 1 of OUT2 is not a value: \"abc\""},
        {"exponent", HandWritten("1,1e300,\n", 1, 0), "is not a value"},
        {"out of range", HandWritten("1,-123456.000000,\n", 1, 0), "is not a value"},
        {"whole rows cut", good.substr(0, good.size() - 8), "states 2 values of OUT1 but holds 1"},
        {"cut inside a row", good.substr(0, good.size() - 2), "stops inside a line"},
    };
    Fill(*data, 0, {7.0, 8.0, 9.0});
    Fill(*data, 1, {6.0});
    data->header[kSlotBufferRate] = 4;
    data->trailer.comment = "read from the controller";
    const BufferingValueSet header = data->header;
    const std::vector<double> values = data->outputs[0].values;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = temp.File("bad.bfd");
        WriteWholeFile(path, c.content);
        ResultInfo info;
        EXPECT_EQ(LoadBufferingFile(*data, path, DataFileOptions{}, &info), ZUL_ERR_FILE_READ);
        EXPECT_EQ(info.detail1, path);
        EXPECT_NE(info.detail2.find(c.reason), std::string::npos) << info.detail2;
        EXPECT_TRUE(data->header == header);
        EXPECT_EQ(data->outputs[0].values, values);
        EXPECT_EQ(data->outputs[1].values[0], 6.0);
        EXPECT_EQ(data->trailer.comment, "read from the controller");
    }
    ResultInfo info;
    EXPECT_EQ(LoadBufferingFile(*data, temp.File("missing.bfd"), DataFileOptions{}, &info),
              ZUL_ERR_FILE_READ);
    EXPECT_EQ(info.detail2, std::strerror(ENOENT));
    // A folder cannot be read as a file.
    EXPECT_NE(LoadBufferingFile(*data, temp.File(""), DataFileOptions{}, &info), ZUL_OK);
    EXPECT_FALSE(info.detail2.empty());
    EXPECT_EQ(data->HeldCount(0), 3);
    // The same file made whole loads.
    WriteWholeFile(temp.File("good.bfd"), good);
    ASSERT_EQ(LoadBufferingFile(*data, temp.File("good.bfd"), DataFileOptions{}, &info), ZUL_OK);
    EXPECT_EQ(data->HeldCount(0), 2);
    EXPECT_EQ(data->outputs[0].values[1], 1.25);
}

TEST_F(BufferingFileTest, FailedSaveReportsFailure) {
    Fill(*data, 0, {1.0});
    ResultInfo info;
    EXPECT_NE(
        SaveBufferingFile(*data, temp.File("missing/dir/x.bfd"), false, DataFileOptions{}, &info),
        ZUL_OK);
    EXPECT_FALSE(info.Ok());
    // A folder of that name is neither removed nor replaced.
    std::string folder = temp.File("folder.bfd");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    EXPECT_NE(SaveBufferingFile(*data, folder, false, DataFileOptions{}, &info), ZUL_OK);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
}

}  // namespace
}  // namespace zul
