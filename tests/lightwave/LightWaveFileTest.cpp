// SPDX-License-Identifier: GPL-3.0-or-later
#include "lightwave/LightWaveFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "buffering/TempFolder.h"
#include "settings/ProfileFile.h"

namespace zul {
namespace {

using testing::ReadLines;
using testing::TempFolder;
using testing::WriteWholeFile;

// Every field of the frame carries a value derived from its number and the mark.
LightWaveFrame Patterned(int32_t mark) {
    LightWaveFrame frame;
    for (int32_t n = 1; n <= kLightWaveFields; ++n) {
        frame.Field(n) = mark * 10000 + n;
    }
    return frame;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Fields(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::string field;
    for (char c : line) {
        if (c == separator) {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(field);
    return fields;
}

class LightWaveFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(temp.Ok()); }

    void AddHistory(int head, int32_t mark) {
        data->heads[static_cast<size_t>(head)].history.push_back(Patterned(mark));
    }

    TempFolder temp;
    std::unique_ptr<LightWaveData> data = std::make_unique<LightWaveData>();
};

TEST_F(LightWaveFileTest, ExportRowsOfThreeFramesAndSixSnapshots) {
    for (int32_t i = 1; i <= 3; ++i) {
        AddHistory(0, i);
    }
    data->heads[1].snapshots[2].frame = Patterned(9);
    data->heads[1].snapshots[2].stored = 1;
    std::string path = temp.File("wave.csv");
    ASSERT_EQ(SaveLightWaveFile(*data, path, true, DataFileOptions{}, nullptr), ZUL_OK);
    std::vector<std::string> lines = Lines(ReadLines(path));
    ASSERT_EQ(lines.size(), 9u);
    for (size_t row = 0; row < 3; ++row) {
        std::vector<std::string> fields = Fields(lines[row], ',');
        ASSERT_EQ(fields.size(), 528u);
        int32_t mark = static_cast<int32_t>(row) + 1;
        EXPECT_EQ(fields[0], std::to_string(mark * 10000 + 1));
        EXPECT_EQ(fields[13], std::to_string(mark * 10000 + 14));
        EXPECT_EQ(fields[14], std::to_string(mark * 10000 + 16));  // field 15 is not stored
        EXPECT_EQ(fields[525], std::to_string(mark * 10000 + 527));
        EXPECT_EQ(fields[526], "0");
        EXPECT_EQ(fields[527], std::to_string(mark * 10000 + 1040));
    }
    for (size_t row = 3; row < 9; ++row) {
        EXPECT_EQ(Fields(lines[row], ',').size(), 530u);
    }
    std::vector<std::string> snapB3 = Fields(lines[8], ',');
    EXPECT_EQ(snapB3[0], "90001");
    EXPECT_EQ(snapB3[526], "1");  // second flag
    EXPECT_EQ(snapB3[527], "0");  // first flag
    EXPECT_EQ(snapB3[528], "0");
    EXPECT_EQ(snapB3[529], "91040");
    EXPECT_EQ(ReadLines(path).find('['), std::string::npos);
    EXPECT_EQ(ReadLines(path).find('='), std::string::npos);
}

TEST_F(LightWaveFileTest, DataFileCountsAndBlocks) {
    for (int32_t i = 1; i <= 3; ++i) {
        AddHistory(0, i);
    }
    data->comment = "two\nlines";
    data->frameRate = 55;
    std::string path = temp.File("wave.lwd");
    ASSERT_EQ(SaveLightWaveFile(*data, path, false, DataFileOptions{1, 1, false, 1.0}, nullptr),
              ZUL_OK);
    ProfileFile file;
    file.SetPath(path);
    ASSERT_EQ(file.Begin(false), ZUL_OK);
    EXPECT_EQ(file.GetString("Setting", "Common", "Comment", ""), "two\\nlines");
    EXPECT_EQ(file.GetInt("Setting", "Common", "FrameRate", 0), 55);
    EXPECT_EQ(file.GetInt("Setting", "Common", "Head1Count", -1), 3);
    EXPECT_EQ(file.GetInt("Setting", "Common", "Head2Count", -1), 0);
    EXPECT_EQ(file.GetInt("Setting", "Common", "CsvSeparator", -1), 1);
    EXPECT_EQ(file.GetInt("Setting", "Common", "CsvUnderdigit", -1), 1);
    int rowsA = 0;
    int rowsB = 0;
    auto counter = [](int& rows) {
        return [&rows](int64_t, int64_t, ResultInfo&, int64_t&, bool&, const std::string& line) {
            EXPECT_NE(line.find(';'), std::string::npos);
            ++rows;
        };
    };
    ASSERT_EQ(file.ReadCsvBlocks("HeadAData", "CSV", counter(rowsA), 0, 0), ZUL_OK);
    ASSERT_EQ(file.ReadCsvBlocks("HeadBData", "CSV", counter(rowsB), 0, 0), ZUL_OK);
    EXPECT_EQ(rowsA, 3);
    EXPECT_EQ(rowsB, 0);
    for (const char* snap : {"SnapA1", "SnapA2", "SnapA3", "SnapB1", "SnapB2", "SnapB3"}) {
        int rows = 0;
        ASSERT_EQ(file.ReadCsvBlocks(snap, "CSV", counter(rows), 0, 0), ZUL_OK);
        EXPECT_EQ(rows, 1) << snap;
    }
    file.End();
}

TEST_F(LightWaveFileTest, RoundTripKeepsStoredFieldsOnly) {
    AddHistory(0, 1);
    AddHistory(0, 2);
    AddHistory(1, 3);
    data->heads[0].snapshots[1].frame = Patterned(4);
    data->heads[0].snapshots[1].shown = 1;
    data->heads[0].snapshots[1].stored = 1;
    data->heads[1].snapshots[0].frame = Patterned(5);
    data->heads[1].snapshots[0].stored = 1;
    data->heads[0].history[0].Sample(600) = 77;
    data->comment = "c;\"q\"";
    data->frameRate = 123;
    std::string path = temp.File("round.lwd");
    ASSERT_EQ(SaveLightWaveFile(*data, path, false, DataFileOptions{2, 0, false, 1.0}, nullptr),
              ZUL_OK);

    auto loaded = std::make_unique<LightWaveData>();
    loaded->heads[1].snapshots[2].shown = 1;  // must be reset by the load
    ASSERT_EQ(LoadLightWaveFile(*loaded, path, DataFileOptions{}, nullptr), ZUL_OK);
    EXPECT_EQ(loaded->comment, data->comment);
    EXPECT_EQ(loaded->frameRate, 123);
    EXPECT_EQ(loaded->csvSeparator, 2);
    EXPECT_EQ(loaded->head1Count, 2);
    EXPECT_EQ(loaded->head2Count, 1);
    ASSERT_EQ(loaded->heads[0].history.size(), 2u);
    ASSERT_EQ(loaded->heads[1].history.size(), 1u);
    for (size_t i = 0; i < 2; ++i) {
        const LightWaveFrame& original = data->heads[0].history[i];
        const LightWaveFrame& frame = loaded->heads[0].history[i];
        for (int32_t n = 1; n <= kLightWaveFields; ++n) {
            bool stored = n <= 14 || (n >= 16 && n <= 527) || n == 1040;
            EXPECT_EQ(frame.Field(n), stored ? original.Field(n) : 0) << "field " << n;
        }
    }
    EXPECT_EQ(loaded->heads[0].history[0].Sample(600), 0);
    EXPECT_EQ(loaded->heads[1].history[0].Field(1040), 31040);
    LightWaveSnapshot a2 = loaded->heads[0].snapshots[1];
    EXPECT_EQ(a2.shown, 1);
    EXPECT_EQ(a2.stored, 1);
    EXPECT_EQ(a2.frame.Field(527), 40527);
    EXPECT_EQ(a2.frame.Field(1040), 41040);
    LightWaveSnapshot b1 = loaded->heads[1].snapshots[0];
    EXPECT_EQ(b1.shown, 0);
    EXPECT_EQ(b1.stored, 1);
    EXPECT_EQ(loaded->heads[1].snapshots[2].shown, 0);
}

std::string HandWritten(int separatorCode, const std::string& historyA, const std::string& snapA1) {
    return "[Setting]\n\t<Common>\n\t\tComment=x\n\t\tCsvSeparator=" +
           std::to_string(separatorCode) + "\n[HeadAData]\n\t<CSV>\n" + historyA +
           "[SnapA1]\n\t<CSV>\n" + snapA1 + "[SnapB3]\n\t<CSV>\n";
}

TEST_F(LightWaveFileTest, SnapshotFlagsReadAsNonZero) {
    std::string row = "1";
    for (int i = 1; i < 526; ++i) {
        row += ",0";
    }
    std::string path = temp.File("flags.lwd");
    WriteWholeFile(path, HandWritten(0, "", row + ",5,0,0,7\n"));
    ASSERT_EQ(LoadLightWaveFile(*data, path, DataFileOptions{}, nullptr), ZUL_OK);
    EXPECT_EQ(data->heads[0].snapshots[0].stored, 1);
    EXPECT_EQ(data->heads[0].snapshots[0].shown, 0);
    EXPECT_EQ(data->heads[0].snapshots[0].frame.Field(1040), 7);
}

TEST_F(LightWaveFileTest, RowsSplitWithTheFilesOwnSeparator) {
    for (int32_t i = 1; i <= 2; ++i) {
        AddHistory(0, i);
    }
    std::string path = temp.File("tab.lwd");
    ASSERT_EQ(SaveLightWaveFile(*data, path, false, DataFileOptions{2, 0, false, 1.0}, nullptr),
              ZUL_OK);
    EXPECT_NE(ReadLines(path).find("\n10001\t10002\t"), std::string::npos);
    auto loaded = std::make_unique<LightWaveData>();
    ASSERT_EQ(LoadLightWaveFile(*loaded, path, DataFileOptions{1, 0, false, 1.0}, nullptr), ZUL_OK);
    ASSERT_EQ(loaded->heads[0].history.size(), 2u);
    EXPECT_EQ(loaded->heads[0].history[1].Field(2), 20002);
    EXPECT_EQ(loaded->heads[0].history[1].Field(1040), 21040);
}

std::string FullRow(int32_t first) {
    std::string row = std::to_string(first);
    for (int i = 1; i < 528; ++i) {
        row += ",0";
    }
    return row + "\n";
}

TEST_F(LightWaveFileTest, LongHistoriesKeepTheFirst1024Frames) {
    std::string rows;
    for (int i = 0; i < 1030; ++i) {
        rows += FullRow(i);
    }
    std::string path = temp.File("long.lwd");
    WriteWholeFile(path, HandWritten(0, rows, ""));
    ASSERT_EQ(LoadLightWaveFile(*data, path, DataFileOptions{}, nullptr), ZUL_OK);
    ASSERT_EQ(data->heads[0].history.size(), 1024u);
    EXPECT_EQ(data->heads[0].history[0].Field(1), 0);
    EXPECT_EQ(data->heads[0].history[1023].Field(1), 1023);
    EXPECT_EQ(data->heads[0].snapshots[0].stored, 0);
}

// Every file that is not a whole capture fails with the file and the reason, and the frames,
// snapshots and comment shown before stay exactly as they were.
TEST_F(LightWaveFileTest, BadFilesFailWithTheReasonAndKeepTheFrames) {
    AddHistory(0, 1);
    AddHistory(1, 2);
    data->heads[1].snapshots[0].shown = 1;
    data->heads[1].snapshots[0].stored = 1;
    data->comment = "kept";
    std::string saved = temp.File("whole.lwd");
    ASSERT_EQ(SaveLightWaveFile(*data, saved, false, DataFileOptions{}, nullptr), ZUL_OK);
    const std::string whole = ReadLines(saved);
    std::string exported = temp.File("export.csv");
    ASSERT_EQ(SaveLightWaveFile(*data, exported, true, DataFileOptions{}, nullptr), ZUL_OK);
    std::string utf16 = "\xff\xfe";
    for (char c : whole) {
        utf16 += c;
        utf16 += '\0';
    }
    const struct {
        const char* name;
        std::string content;
        const char* reason;
    } cases[] = {
        {"empty", "", "holds no light-wave data"},
        {"csv export", ReadLines(exported), "holds no light-wave data"},
        {"utf-16", utf16, "holds no light-wave data"},
        {"binary", std::string(4000, '\xa7'), "holds no light-wave data"},
        {"short row", HandWritten(0, FullRow(1) + "5,6\n", ""), "frame 2 of Head A is damaged"},
        {"text in a row", HandWritten(0, "x" + FullRow(1), ""), "frame 1 of Head A is damaged"},
        {"bad snapshot", HandWritten(0, "", "garbage\x01\xff\n"),
         "snapshot 1 of Head A is damaged"},
        {"cut short", whole.substr(0, whole.size() / 2), "cut short"},
        {"fewer than stated",
         "[Setting]\n\t<Common>\n\t\tHead1Count=5\n[HeadAData]\n\t<CSV>\n" + FullRow(1),
         "the file states 5 frames of Head A but holds 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = temp.File("bad.lwd");
        WriteWholeFile(path, c.content);
        ResultInfo info;
        EXPECT_EQ(LoadLightWaveFile(*data, path, DataFileOptions{}, &info), ZUL_ERR_FILE_READ);
        EXPECT_EQ(info.detail1, path);
        EXPECT_NE(info.detail2.find(c.reason), std::string::npos) << info.detail2;
        ASSERT_EQ(data->heads[0].history.size(), 1u);
        EXPECT_EQ(data->heads[0].history[0].Field(2), Patterned(1).Field(2));
        EXPECT_EQ(data->heads[1].history.size(), 1u);
        EXPECT_EQ(data->heads[1].snapshots[0].stored, 1);
        EXPECT_EQ(data->comment, "kept");
    }
    // A folder cannot be read as a file.
    ResultInfo info;
    EXPECT_NE(LoadLightWaveFile(*data, temp.File(""), DataFileOptions{}, &info), ZUL_OK);
    EXPECT_FALSE(info.detail2.empty());
    EXPECT_EQ(data->heads[0].history.size(), 1u);
}

TEST_F(LightWaveFileTest, MissingFileIsAFailedRead) {
    AddHistory(0, 1);
    data->heads[0].snapshots[2].stored = 1;
    const std::string path = temp.File("absent.lwd");
    ResultInfo info;
    EXPECT_EQ(LoadLightWaveFile(*data, path, DataFileOptions{}, &info), ZUL_ERR_FILE_READ);
    EXPECT_EQ(info.code, ZUL_ERR_FILE_READ);
    EXPECT_EQ(info.osError, ENOENT);
    EXPECT_NE(info.detail1.find("absent.lwd"), std::string::npos);
    EXPECT_EQ(data->heads[0].history.size(), 1u);
    EXPECT_EQ(data->heads[0].snapshots[2].stored, 1);

    // The same path loads once a saved file is there.
    AddHistory(1, 2);
    ASSERT_EQ(SaveLightWaveFile(*data, path, false, DataFileOptions{}, nullptr), ZUL_OK);
    auto loaded = std::make_unique<LightWaveData>();
    EXPECT_EQ(LoadLightWaveFile(*loaded, path, DataFileOptions{}, &info), ZUL_OK);
    EXPECT_EQ(loaded->heads[1].history.size(), 1u);
}

TEST_F(LightWaveFileTest, FailedSaveReportsFailure) {
    ResultInfo info;
    EXPECT_NE(
        SaveLightWaveFile(*data, temp.File("no/such/dir.lwd"), false, DataFileOptions{}, &info),
        ZUL_OK);
    EXPECT_FALSE(info.Ok());
}

}  // namespace
}  // namespace zul
