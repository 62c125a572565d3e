// SPDX-License-Identifier: GPL-3.0-or-later
#include "lightwave/LightWaveFile.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "base/ProfileText.h"
#include "settings/SafeFile.h"

namespace zul {

namespace {

constexpr std::string_view kSetting = "Setting";
constexpr std::string_view kCommon = "Common";
constexpr std::string_view kCsv = "CSV";
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

// Reads the stored frame fields of a row into a cleared frame; returns the index of the first
// field after them. A missing field reads as 0, a missing field 1 as 1.
size_t ReadFrameFields(const std::vector<std::string>& fields, LightWaveFrame& frame) {
    frame = LightWaveFrame{};
    for (size_t i = 0; i < kStoredFields.size(); ++i) {
        int32_t missing = kStoredFields[i] == 1 ? 1 : 0;
        frame.Field(kStoredFields[i]) = i < fields.size() ? ParseLeadingInt(fields[i]) : missing;
    }
    return kStoredFields.size();
}

int32_t FieldOrZero(const std::vector<std::string>& fields, size_t index) {
    return index < fields.size() ? ParseLeadingInt(fields[index]) : 0;
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
    std::lock_guard lock(data.mutex);
    ProfileFile& file = data.profile;
    // The profile reader takes a missing file for an empty one; a capture file that is not
    // there is a failed read, not an empty capture.
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::path(path), ec)) {
        data.ClearHistoryAndSnapshotsLocked();
        return SetFileResult(info, ZUL_ERR_FILE_READ, ec ? ec.value() : ENOENT, std::string(path));
    }
    file.SetPath(path);
    file.SetLayoutMode(kLayoutIndented);
    int32_t code = file.Begin(false, info);
    if (code != ZUL_OK) {
        data.ClearHistoryAndSnapshotsLocked();
        return code;
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
    for (int head = 0; head < kLightWaveHeads && code == ZUL_OK; ++head) {
        std::deque<LightWaveFrame>& history = data.heads[static_cast<size_t>(head)].history;
        code = file.ReadCsvBlocks(
            kHistorySections[head], kCsv,
            [&history, separator](int64_t, int64_t, ResultInfo&, int64_t&, bool& done,
                                  const std::string& line) {
                if (history.size() >= kMaxHistoryFrames) {
                    done = true;
                    return;
                }
                std::vector<std::string> fields = SplitCsvRow(line, separator);
                LightWaveFrame& frame = history.emplace_back();
                size_t next = ReadFrameFields(fields, frame);
                frame.Field(kExtraWordField) = FieldOrZero(fields, next + 1);
            },
            0, 0, info);
    }
    for (int head = 0; head < kLightWaveHeads && code == ZUL_OK; ++head) {
        for (int slot = 0; slot < kSnapshotsPerHead && code == ZUL_OK; ++slot) {
            LightWaveSnapshot& snapshot =
                data.heads[static_cast<size_t>(head)].snapshots[static_cast<size_t>(slot)];
            code = file.ReadCsvBlocks(
                kSnapshotSections[head][slot], kCsv,
                [&snapshot, separator](int64_t, int64_t, ResultInfo&, int64_t&, bool& done,
                                       const std::string& line) {
                    std::vector<std::string> fields = SplitCsvRow(line, separator);
                    size_t next = ReadFrameFields(fields, snapshot.frame);
                    snapshot.stored = FieldOrZero(fields, next) != 0 ? 1 : 0;
                    snapshot.shown = FieldOrZero(fields, next + 1) != 0 ? 1 : 0;
                    snapshot.frame.Field(kExtraWordField) = FieldOrZero(fields, next + 3);
                    done = true;
                },
                0, 0, info);
        }
    }

    ResultInfo endInfo;
    int32_t endCode = file.End(&endInfo);
    if (code == ZUL_OK && endCode != ZUL_OK) {
        code = endCode;
        if (info) {
            *info = endInfo;
        }
    }
    if (code != ZUL_OK) {
        data.ClearHistoryAndSnapshotsLocked();
    }
    return code;
}

}  // namespace zul
