// SPDX-License-Identifier: GPL-3.0-or-later
#include "lightwave/LightWaveFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "base/NumberText.h"
#include "base/ProfileText.h"
#include "settings/SafeFile.h"

namespace zul {

namespace {

constexpr std::string_view kSetting = "Setting";
constexpr std::string_view kCommon = "Common";
constexpr std::string_view kCsv = "CSV";
constexpr const char* kStopsInsideALine = "the file stops inside a line: it was cut short";
constexpr std::string_view kHistorySections[kLightWaveHeads] = {"HeadAData", "HeadBData"};
constexpr std::string_view kSnapshotSections[kLightWaveHeads][kSnapshotsPerHead] = {
    {"SnapA1", "SnapA2", "SnapA3"},
    {"SnapB1", "SnapB2", "SnapB3"},
};

// Field numbers in the order a row stores them.
constexpr std::array<int32_t, kStoredFrameFields> StoredFieldOrder() {
    std::array<int32_t, kStoredFrameFields> order{};
    size_t i = 0;
    for (int32_t field = 1; field <= 14; ++field) {
        order[i++] = field;
    }
    for (int32_t s = 0; s < kStoredSamples; ++s) {
        order[i++] = kFirstSampleField + s;
    }
    return order;
}
constexpr std::array<int32_t, kStoredFrameFields> kStoredFields = StoredFieldOrder();

void AppendFrameFields(const LightWaveFrame& frame, std::vector<std::string>& fields) {
    for (int32_t field : kStoredFields) {
        fields.push_back(std::to_string(frame.Field(field)));
    }
}

std::string HistoryRow(const LightWaveFrame& frame, char separator) {
    std::vector<std::string> fields;
    fields.reserve(kStoredFrameFields + 2);
    AppendFrameFields(frame, fields);
    fields.emplace_back("0");
    fields.push_back(std::to_string(frame.Field(kExtraWordField)));
    return JoinCsvFields(fields, separator);
}

std::string SnapshotRow(const LightWaveSnapshot& snapshot, char separator) {
    std::vector<std::string> fields;
    fields.reserve(kStoredFrameFields + 4);
    AppendFrameFields(snapshot.frame, fields);
    fields.emplace_back(snapshot.stored ? "1" : "0");
    fields.emplace_back(snapshot.shown ? "1" : "0");
    fields.emplace_back("0");
    fields.push_back(std::to_string(snapshot.frame.Field(kExtraWordField)));
    return JoinCsvFields(fields, separator);
}

// Reads the stored frame fields of a row into a cleared frame and the fields after them into
// tail (as many as tail holds; a missing one reads as 0). False when a stored field is missing
// or not a whole number: such a row is not a frame this program wrote.
bool ReadFrameRow(const std::vector<std::string>& fields, LightWaveFrame& frame,
                  std::span<int32_t> tail) {
    frame = LightWaveFrame{};
    if (fields.size() < kStoredFields.size()) {
        return false;
    }
    for (size_t i = 0; i < kStoredFields.size(); ++i) {
        if (!ParseDecimalExact(fields[i], frame.Field(kStoredFields[i]))) {
            return false;
        }
    }
    for (size_t i = 0; i < tail.size(); ++i) {
        const size_t index = kStoredFields.size() + i;
        tail[i] = index < fields.size() ? ParseLeadingInt(fields[index]) : 0;
    }
    return true;
}

std::string HeadName(int head) {
    return head == 0 ? "Head A" : "Head B";
}

// A light-wave data file starts with its settings (comment, frame rate, frame counts); a file
// without them (empty, a CSV export, binary or in another encoding) holds no light-wave data.
bool HoldsLightWaveSettings(ProfileFile& file) {
    std::vector<std::string> keys;
    std::vector<std::string> values;
    return file.GetKeyValueLists(kSetting, kCommon, keys, values) == ZUL_OK && !keys.empty();
}

int32_t ReadHistory(ProfileFile& file, int head, int32_t declared, const char separator,
                    std::deque<LightWaveFrame>& history, ResultInfo& info) {
    int32_t code = file.ReadCsvBlocks(
        kHistorySections[head], kCsv,
        [&history, separator, head](int64_t, int64_t, ResultInfo& rowInfo, int64_t&, bool& done,
                                    const std::string& line) {
            if (history.size() >= kMaxHistoryFrames) {
                done = true;
                return;
            }
            LightWaveFrame& frame = history.emplace_back();
            std::array<int32_t, 2> tail{};
            if (!ReadFrameRow(SplitCsvRow(line, separator), frame, tail)) {
                SetResult(&rowInfo, ZUL_ERR_FILE_READ, 0, {},
                          "frame " + std::to_string(history.size()) + " of " + HeadName(head) +
                              " is damaged");
                return;
            }
            frame.Field(kExtraWordField) = tail[1];
        },
        0, 0, &info);
    if (code != ZUL_OK) {
        return code;
    }
    const size_t expected = std::min(static_cast<size_t>(declared), kMaxHistoryFrames);
    if (history.size() < expected) {
        return SetResult(&info, ZUL_ERR_FILE_READ, 0, {},
                         "the file states " + std::to_string(declared) + " frames of " +
                             HeadName(head) + " but holds " + std::to_string(history.size()));
    }
    return ZUL_OK;
}

// A file this program wrote holds one row for each of the six snapshots, set or not; a file
// that states its frame counts but lacks one was cut short.
int32_t ReadSnapshot(ProfileFile& file, int head, int slot, const char separator, bool complete,
                     LightWaveSnapshot& snapshot, ResultInfo& info) {
    bool seen = false;
    const int32_t code = file.ReadCsvBlocks(
        kSnapshotSections[head][slot], kCsv,
        [&snapshot, &seen, separator, head, slot](int64_t, int64_t, ResultInfo& rowInfo, int64_t&,
                                                  bool& done, const std::string& line) {
            done = true;
            seen = true;
            std::array<int32_t, 4> tail{};
            if (!ReadFrameRow(SplitCsvRow(line, separator), snapshot.frame, tail)) {
                SetResult(&rowInfo, ZUL_ERR_FILE_READ, 0, {},
                          "snapshot " + std::to_string(slot + 1) + " of " + HeadName(head) +
                              " is damaged");
                return;
            }
            snapshot.stored = tail[0] != 0 ? 1 : 0;
            snapshot.shown = tail[1] != 0 ? 1 : 0;
            snapshot.frame.Field(kExtraWordField) = tail[3];
        },
        0, 0, &info);
    if (code == ZUL_OK && complete && !seen) {
        return SetResult(&info, ZUL_ERR_FILE_READ, 0, {},
                         "snapshot " + std::to_string(slot + 1) + " of " + HeadName(head) +
                             " is missing: the file was cut short");
    }
    return code;
}

// Reads the file into data, which the caller owns alone.
int32_t ReadFileInto(LightWaveData& data, std::string_view path, const DataFileOptions& options,
                     ResultInfo& info) {
    ProfileFile& file = data.profile;
    file.SetPath(path);
    file.SetLayoutMode(kLayoutIndented);
    int32_t code = file.Begin(false, &info);
    if (code != ZUL_OK) {
        return code;
    }
    if (!HoldsLightWaveSettings(file) || file.EndsMidLine()) {
        const bool cut = file.EndsMidLine() && HoldsLightWaveSettings(file);
        ResultInfo ignored;
        file.End(&ignored);
        return SetResult(&info, ZUL_ERR_FILE_READ, 0, {},
                         cut ? kStopsInsideALine : "the file holds no light-wave data");
    }
    data.comment =
        UnescapeText(file.GetString(kSetting, kCommon, "Comment", EscapeText(data.comment)));
    data.frameRate = file.GetInt(kSetting, kCommon, "FrameRate", data.frameRate);
    data.head1Count = file.GetInt(kSetting, kCommon, "Head1Count", 0);
    data.head2Count = file.GetInt(kSetting, kCommon, "Head2Count", 0);
    data.csvSeparator = file.GetInt(kSetting, kCommon, "CsvSeparator", options.csvSeparator);
    data.csvUnderdigit = file.GetInt(kSetting, kCommon, "CsvUnderdigit", options.csvUnderdigit);
    data.ClearHistoryAndSnapshotsLocked();

    const char separator = CsvSeparatorChar(data.csvSeparator);
    const int32_t declared[kLightWaveHeads] = {data.head1Count, data.head2Count};
    const bool complete = file.GetString(kSetting, kCommon, "Head1Count", "") != "" &&
                          file.GetString(kSetting, kCommon, "Head2Count", "") != "";
    for (int head = 0; head < kLightWaveHeads && code == ZUL_OK; ++head) {
        code = ReadHistory(file, head, declared[head], separator,
                           data.heads[static_cast<size_t>(head)].history, info);
    }
    for (int head = 0; head < kLightWaveHeads && code == ZUL_OK; ++head) {
        for (int slot = 0; slot < kSnapshotsPerHead && code == ZUL_OK; ++slot) {
            code = ReadSnapshot(
                file, head, slot, separator, complete,
                data.heads[static_cast<size_t>(head)].snapshots[static_cast<size_t>(slot)], info);
        }
    }
    ResultInfo endInfo;
    const int32_t endCode = file.End(&endInfo);
    if (code == ZUL_OK && endCode != ZUL_OK) {
        code = endCode;
        info = endInfo;
    }
    return code;
}

// Takes what a load read into the block shown; the current frames stay.
void TakeLoaded(LightWaveData& shown, LightWaveData& loaded) {
    shown.profile.SetPath(loaded.profile.Path());
    shown.comment = loaded.comment;
    shown.frameRate = loaded.frameRate;
    shown.head1Count = loaded.head1Count;
    shown.head2Count = loaded.head2Count;
    shown.csvSeparator = loaded.csvSeparator;
    shown.csvUnderdigit = loaded.csvUnderdigit;
    for (size_t head = 0; head < kLightWaveHeads; ++head) {
        std::swap(shown.heads[head].history, loaded.heads[head].history);
        shown.heads[head].snapshots = loaded.heads[head].snapshots;
    }
}

}  // namespace

int32_t SaveLightWaveFile(LightWaveData& data, std::string_view path, bool exportCsv,
                          const DataFileOptions& options, ResultInfo* info) {
    ClearResult(info);
    std::lock_guard lock(data.mutex);
    data.csvSeparator = options.csvSeparator;
    data.csvUnderdigit = options.csvUnderdigit;

    // The file is rebuilt from nothing, so no section of an older file survives in it; the old
    // file is replaced only once the new one is complete.
    ProfileFile& file = data.profile;
    file.SetPath(path);
    file.SetLayoutMode(exportCsv ? kLayoutCsvOnly : kLayoutIndented);
    int32_t code = file.BeginRewrite(info);
    if (code != ZUL_OK) {
        return code;
    }

    file.SetString(kSetting, kCommon, "Comment", EscapeText(data.comment));
    file.SetInt(kSetting, kCommon, "FrameRate", data.frameRate);
    file.SetInt(kSetting, kCommon, "Head1Count",
                static_cast<int32_t>(data.heads[0].history.size()));
    file.SetInt(kSetting, kCommon, "Head2Count",
                static_cast<int32_t>(data.heads[1].history.size()));
    file.SetInt(kSetting, kCommon, "CsvSeparator", data.csvSeparator);
    file.SetInt(kSetting, kCommon, "CsvUnderdigit", data.csvUnderdigit);

    const char separator = CsvSeparatorChar(data.csvSeparator);
    for (int head = 0; head < kLightWaveHeads; ++head) {
        const std::deque<LightWaveFrame>& history = data.heads[static_cast<size_t>(head)].history;
        file.AddCsvBlock(
            kHistorySections[head], kCsv,
            [&history, separator](int64_t, int64_t, ResultInfo&, int64_t& state, bool& done,
                                  std::string& line) {
                if (state >= static_cast<int64_t>(history.size())) {
                    done = true;
                    return;
                }
                line = HistoryRow(history[static_cast<size_t>(state++)], separator);
            },
            0, 0);
    }
    for (int head = 0; head < kLightWaveHeads; ++head) {
        for (int slot = 0; slot < kSnapshotsPerHead; ++slot) {
            const LightWaveSnapshot& snapshot =
                data.heads[static_cast<size_t>(head)].snapshots[static_cast<size_t>(slot)];
            file.AddCsvBlock(
                kSnapshotSections[head][slot], kCsv,
                [&snapshot, separator](int64_t, int64_t, ResultInfo&, int64_t& state, bool& done,
                                       std::string& line) {
                    if (state++ > 0) {
                        done = true;
                        return;
                    }
                    line = SnapshotRow(snapshot, separator);
                },
                0, 0);
        }
    }
    return file.End(info);
}

int32_t LoadLightWaveFile(LightWaveData& data, std::string_view path,
                          const DataFileOptions& options, ResultInfo* info) {
    ClearResult(info);
    // The profile reader takes a missing file for an empty one; a capture file that is not
    // there is a failed read, not an empty capture.
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::path(path), ec)) {
        return SetFileResult(info, ZUL_ERR_FILE_READ, ec ? ec.value() : ENOENT, std::string(path));
    }
    // The file is read into a block of its own, so a file that fails part-way leaves the frames
    // shown before exactly as they were. Keys the file lacks keep their present values.
    auto loaded = std::make_unique<LightWaveData>();
    {
        std::lock_guard lock(data.mutex);
        loaded->comment = data.comment;
        loaded->frameRate = data.frameRate;
    }
    ResultInfo result;
    const int32_t code = ReadFileInto(*loaded, path, options, result);
    if (code != ZUL_OK) {
        result.detail1 = std::string(path);
        if (info) {
            *info = result;
        }
        return code;
    }
    std::lock_guard lock(data.mutex);
    TakeLoaded(data, *loaded);
    return ZUL_OK;
}

}  // namespace zul
