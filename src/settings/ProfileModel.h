// SPDX-License-Identifier: GPL-3.0-or-later
// The ordered in-memory model of a profile file: sections, their sub-sections and the line
// records of each, in order of first appearance.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/ResultInfo.h"

namespace zul {

// Produces the data lines of a CSV block while the file is written. Called repeatedly; state
// starts at 0 and belongs to the callback. Set done to end the block (that call's line is not
// written); an error in result stops the whole write with that error.
using CsvWriteLine = std::function<void(int64_t context1, int64_t context2, ResultInfo& result,
                                        int64_t& state, bool& done, std::string& line)>;

// Receives the data lines of a CSV block read from the file, one call per line. Setting done or
// an error in result stops the reading.
using CsvReadLine = std::function<void(int64_t context1, int64_t context2, ResultInfo& result,
                                       int64_t& state, bool& done, const std::string& line)>;

// One line of the file, or one record added later.
struct LineRecord {
    std::string text;
    std::string section;
    std::string subSection;
    std::string key;
    std::string value;
    std::string comment;
    bool isCsvBlock = false;
    int64_t blockStart = 0;  // file offset of the first data line
    int64_t blockEnd = 0;    // file offset just past the last data line
    CsvWriteLine writeLine;
    int64_t context1 = 0;
    int64_t context2 = 0;
};

struct StringHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};
template <class T>
using NameIndex = std::unordered_map<std::string, T*, StringHash, std::equal_to<>>;

struct ProfileSubSection {
    std::string name;
    std::vector<std::unique_ptr<LineRecord>> records;  // every record, in order
    NameIndex<LineRecord> keys;                        // records with a key
};

struct ProfileSection {
    std::string name;
    std::vector<std::unique_ptr<ProfileSubSection>> subSections;
    NameIndex<ProfileSubSection> index;
};

// Layout modes of the writer.
inline constexpr int kLayoutSettings = 0;   // headers, keys indented only inside sub-sections
inline constexpr int kLayoutIndented = 1;   // headers, keys always indented
inline constexpr int kLayoutCsvOnly = 2;    // only CSV data lines
inline constexpr int kLayoutDataFile = 3;   // as 1
inline constexpr int kLayoutCsvExport = 4;  // as 2

class ProfileModel {
public:
    ProfileModel() = default;
    ProfileModel(const ProfileModel&) = delete;
    ProfileModel& operator=(const ProfileModel&) = delete;

    void Clear();
    bool Empty() const { return sections_.empty(); }

    // Builds the model from the whole file content (UTF-8; LF or CR LF line ends). Offsets of
    // CSV blocks are byte offsets into content.
    void Parse(std::string_view content);

    ProfileSection* FindSection(std::string_view name) const;
    ProfileSubSection* FindSubSection(std::string_view section, std::string_view sub) const;
    const LineRecord* FindKey(std::string_view section, std::string_view sub,
                              std::string_view key) const;
    // Finds or appends the section and sub-section.
    ProfileSubSection& SubSection(std::string_view section, std::string_view sub);

    // Updates the value of an existing key in place, else appends a new record.
    void SetValue(std::string_view section, std::string_view sub, std::string_view key,
                  std::string_view value);
    // Appends a record; a keyed record replaces an existing record of the same key at its
    // position (the last duplicate wins). Returns the stored record.
    LineRecord* AddRecord(std::unique_ptr<LineRecord> record);

    const std::vector<std::unique_ptr<ProfileSection>>& Sections() const { return sections_; }

    // Writes the model through sink (one call per line, without line end). content is the file
    // content the model was parsed from: blocks read from it are written back unchanged. A sink
    // failure returns ZUL_ERR_OS_FILE_WRITE and leaves info to the caller; a CSV writer's error is
    // copied into info and returned.
    using LineSink = std::function<bool(std::string_view line)>;
    int32_t Write(int layoutMode, std::string_view content, const LineSink& sink,
                  ResultInfo* info) const;

private:
    std::vector<std::unique_ptr<ProfileSection>> sections_;
    NameIndex<ProfileSection> index_;
};

}  // namespace zul
