// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffering/BufferingFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/NumberText.h"
#include "base/ProfileText.h"

namespace zul {

namespace {

constexpr std::string_view kSetting = "Setting";
constexpr std::string_view kCommon = "Common";
constexpr std::string_view kInfo = "Info";
constexpr std::string_view kData = "Data";
constexpr std::string_view kCsv = "CSV";
constexpr std::string_view kOutputNames[kBufferingOutputs] = {"Output1", "Output2"};

struct HeaderKey {
    std::string_view key;
    int slot;
};

// The "Setting" keys after the comment, in file order, with their header slots.
constexpr HeaderKey kHeaderKeys[] = {
    {"BufferMode", kSlotBufferMode},
    {"BufferType", kSlotBufferType},
    {"BufferRate", kSlotBufferRate},
    {"StoreNum", kSlotStoreNum},
    {"SampleTriggerStoreNum", kSlotSampleTriggerStoreNum},
    {"TriggerPoint", kSlotTriggerPoint},
    {"TriggerDelay", kSlotTriggerDelay},
    {"EventCondition1", kSlotEventCondition1},
    {"EventCondition2", kSlotEventCondition1 + 1},
    {"FinalDataPoint1", kSlotFinalDataPoint1},
    {"FinalDataPoint2", kSlotFinalDataPoint1 + 1},
    {"TriggerCount1", kSlotTriggerCount1},
    {"TriggerCount2", kSlotTriggerCount1 + 1},
};

std::string FormatValue(double value, double factor, bool decimalComma) {
    std::string text = FormatFixed6(value * factor);
    if (decimalComma) {
        std::replace(text.begin(), text.end(), '.', ',');
    }
    return text;
}

void WriteInfo(ProfileFile& file, std::string_view sub, const OutputBuffer& buffer, double factor) {
    const OutputStatistics& s = buffer.statistics;
    const bool vertical = buffer.display.verticalOn != 0;
    const bool horizontal = buffer.display.horizontalOn != 0;
    auto real = [&](std::string_view key, double value) {
        file.SetString(kInfo, sub, key, FormatFixed6(value * factor));
    };
    real("AllDataTop", s.allDataTop);
    real("AllDataBottom", s.allDataBottom);
    real("AllDataAve", s.allDataAve);
    real("AllDataMid", s.allDataMid);
    real("VerticalTop", vertical ? s.verticalTop : 0.0);
    real("VerticalBottom", vertical ? s.verticalBottom : 0.0);
    real("VerticalRange", vertical ? s.verticalRange : 0.0);
    file.SetInt(kInfo, sub, "HorizontalLeft", horizontal ? s.horizontalLeft : 0);
    file.SetInt(kInfo, sub, "HorizontalRight", horizontal ? s.horizontalRight : 0);
    file.SetInt(kInfo, sub, "HorizontalRange", horizontal ? s.horizontalRange : 0);
    real("BetweenDataTop", s.betweenDataTop);
    real("BetweenDataBottom", s.betweenDataBottom);
    real("BetweenDataAve", s.betweenDataAve);
    real("BetweenDataMid", s.betweenDataMid);
    file.SetInt(kInfo, sub, "TriggerCount", s.triggerCount);
}

// Row 0 is the title row; row n holds value n of each output that has one. The block ends
// before the first row without any value.
CsvWriteLine ValueRowWriter(const BufferingData& data) {
    return [&data](int64_t, int64_t, ResultInfo&, int64_t& state, bool& done, std::string& line) {
        const char separator = CsvSeparatorChar(data.trailer.csvSeparator);
        const bool decimalComma = data.trailer.csvUnderdigit == 1;
        const int64_t row = state++;
        if (row == 0) {
            line = JoinCsvFields({"0", "Output1", "Output2"}, separator);
            return;
        }
        const int32_t counts[kBufferingOutputs] = {data.HeldCount(0), data.HeldCount(1)};
        if (row > std::max(counts[0], counts[1])) {
            done = true;
            return;
        }
        std::vector<std::string> fields;
        fields.reserve(3);
        fields.push_back(std::to_string(row));
        for (int output = 0; output < kBufferingOutputs; ++output) {
            if (row > counts[output]) {
                fields.emplace_back();
            } else {
                double value =
                    data.outputs[static_cast<size_t>(output)].values[static_cast<size_t>(row - 1)];
                fields.push_back(FormatValue(value, data.trailer.valueFactor, decimalComma));
            }
        }
        line = JoinCsvFields(fields, separator);
    };
}

// The largest magnitude a stored value can have: the controller's values and its out-of-range
// marks stay below 1000 mm. Anything beyond is not a value the controller gave.
constexpr double kLargestFileValue = 1000.0;

// What a load has learned about the value rows of one output.
struct OutputRows {
    int32_t declared = 0;     // the number of values the file states
    int32_t placed = 0;       // distinct value numbers given a value so far
    std::vector<bool> given;  // value number n (from 1) at n - 1
};

std::string OutputName(int output) {
    return "OUT" + std::to_string(output + 1);
}

// Parses one value field as the file writes it: a plain fixed-point number (a decimal comma
// when the file says so), finite and within the controller's range. Empty text, "nan", "abc" or
// an exponent form are refused: no value is invented for a field that does not hold one.
bool ParseFileValue(std::string text, bool decimalComma, double& value) {
    if (decimalComma) {
        std::replace(text.begin(), text.end(), ',', '.');
    }
    return ParseRealExact(text, value) && std::isfinite(value) &&
           std::fabs(value) <= kLargestFileValue;
}

// Places one CSV row by its number into the outputs that hold that many values. Rows whose
// first field is not a value number (the title row, text, numbers out of range) hold no value.
// A value field that the row needs but that is missing or not a number fails the load.
int32_t ReadValueRow(BufferingData& data, std::array<OutputRows, kBufferingOutputs>& rows,
                     const std::string& line, ResultInfo& info) {
    const std::vector<std::string> fields =
        SplitCsvRow(line, CsvSeparatorChar(data.trailer.csvSeparator));
    int32_t n = 0;
    if (fields.empty() || !ParseDecimalExact(fields[0], n) || n <= 0) {
        return ZUL_OK;
    }
    for (int output = 0; output < kBufferingOutputs; ++output) {
        OutputRows& out = rows[static_cast<size_t>(output)];
        if (n > out.declared) {
            continue;
        }
        const size_t column = static_cast<size_t>(output) + 1;
        const std::string text = column < fields.size() ? fields[column] : std::string();
        double value = 0.0;
        if (!ParseFileValue(text, data.trailer.csvUnderdigit == 1, value)) {
            const std::string what =
                text.empty() ? " is missing" : " is not a value: \"" + text.substr(0, 40) + "\"";
            return SetResult(&info, ZUL_ERR_FILE_READ, 0, {},
                             "value " + std::to_string(n) + " of " + OutputName(output) + what);
        }
        data.outputs[static_cast<size_t>(output)].values[static_cast<size_t>(n - 1)] = value;
        if (!out.given[static_cast<size_t>(n - 1)]) {
            out.given[static_cast<size_t>(n - 1)] = true;
            ++out.placed;
        }
    }
    return ZUL_OK;
}

// A buffering data file states the number of values of both outputs; a file without them
// (empty, another kind of file, binary or in another encoding) holds no buffering data.
bool DeclaresCounts(ProfileFile& file) {
    std::vector<std::string> keys;
    std::vector<std::string> values;
    if (file.GetKeyValueLists(kSetting, kCommon, keys, values) != ZUL_OK) {
        return false;
    }
    int found = 0;
    for (size_t i = 0; i < keys.size(); ++i) {
        for (std::string_view name : {"FinalDataPoint1", "FinalDataPoint2"}) {
            int32_t count = 0;
            if (EqualsNoCase(keys[i], name) && ParseDecimalExact(values[i], count)) {
                ++found;
            }
        }
    }
    return found == kBufferingOutputs;
}

// Reads the file into data, which the caller owns alone.
int32_t ReadFileInto(BufferingData& data, std::string_view path, const DataFileOptions& options,
                     ResultInfo& info) {
    ProfileFile& file = data.profile;
    file.SetPath(path);
    file.SetLayoutMode(kLayoutDataFile);
    int32_t code = file.Begin(false, &info);
    if (code != ZUL_OK) {
        return code;
    }
    if (!DeclaresCounts(file) || file.EndsMidLine()) {
        const bool cut = file.EndsMidLine() && DeclaresCounts(file);
        ResultInfo ignored;
        file.End(&ignored);
        const bool missing = !std::filesystem::exists(std::string(path));
        return SetResult(&info, ZUL_ERR_FILE_READ, missing ? ENOENT : 0, std::string(path),
                         missing ? std::strerror(ENOENT)
                         : cut   ? "the file stops inside a line: it was cut short"
                                 : "the file holds no buffering data");
    }

    data.trailer.comment = UnescapeText(
        file.GetString(kSetting, kCommon, "Comment", EscapeText(data.trailer.comment)));
    for (const HeaderKey& key : kHeaderKeys) {
        data.header[key.slot] = file.GetInt(kSetting, kCommon, key.key, data.header[key.slot]);
    }
    data.trailer.csvSeparator =
        file.GetInt(kSetting, kCommon, "CsvSeparator", options.csvSeparator);
    data.trailer.csvUnderdigit =
        file.GetInt(kSetting, kCommon, "CsvUnderdigit", options.csvUnderdigit);

    std::array<OutputRows, kBufferingOutputs> rows;
    for (int output = 0; output < kBufferingOutputs; ++output) {
        int32_t& count = data.header[BufferingValueSet::FinalDataPoint(output)];
        count = std::clamp(count, 0, kMaxBufferedValues);
        rows[static_cast<size_t>(output)].declared = count;
        rows[static_cast<size_t>(output)].given.assign(static_cast<size_t>(count), false);
        data.outputs[static_cast<size_t>(output)].cache.Clear();
    }

    code = file.ReadCsvBlocks(
        kData, kCsv,
        [&data, &rows](int64_t, int64_t, ResultInfo& rowInfo, int64_t&, bool& done,
                       const std::string& line) {
            if (ReadValueRow(data, rows, line, rowInfo) != ZUL_OK) {
                done = true;
            }
        },
        0, 0, &info);
    ResultInfo endInfo;
    const int32_t endCode = file.End(&endInfo);
    if (code == ZUL_OK && endCode != ZUL_OK) {
        code = endCode;
        info = endInfo;
    }
    if (code != ZUL_OK) {
        info.detail1 = std::string(path);
        return code;
    }
    for (int output = 0; output < kBufferingOutputs; ++output) {
        const OutputRows& out = rows[static_cast<size_t>(output)];
        if (out.placed < out.declared) {
            return SetResult(&info, ZUL_ERR_FILE_READ, 0, std::string(path),
                             "the file states " + std::to_string(out.declared) + " values of " +
                                 OutputName(output) + " but holds " + std::to_string(out.placed));
        }
    }
    return ZUL_OK;
}

// Takes what a load read into the block shown: the settings of the run, the comment, the file
// options and the values. The display records (measure lines, axes) stay.
void TakeLoaded(BufferingData& shown, const BufferingData& loaded) {
    shown.header = loaded.header;
    shown.trailer = loaded.trailer;
    shown.profile.SetPath(loaded.profile.Path());
    for (int output = 0; output < kBufferingOutputs; ++output) {
        const std::vector<double>& from = loaded.outputs[static_cast<size_t>(output)].values;
        OutputBuffer& to = shown.outputs[static_cast<size_t>(output)];
        std::copy_n(from.begin(), loaded.HeldCount(output), to.values.begin());
        to.cache.Clear();
    }
}

}  // namespace

int32_t SaveBufferingFile(BufferingData& data, std::string_view path, bool exportCsv,
                          const DataFileOptions& options, ResultInfo* info) {
    ClearResult(info);
    std::lock_guard lock(data.mutex);
    data.trailer.csvSeparator = options.csvSeparator;
    data.trailer.csvUnderdigit = options.csvUnderdigit;

    // The file is rebuilt from nothing, so no section of an older file survives in it; the old
    // file is replaced only once the new one is complete.
    ProfileFile& file = data.profile;
    file.SetPath(path);
    file.SetLayoutMode(exportCsv ? kLayoutCsvExport : kLayoutDataFile);
    int32_t code = file.BeginRewrite(info);
    if (code != ZUL_OK) {
        return code;
    }

    file.SetString(kSetting, kCommon, "Comment", EscapeText(data.trailer.comment));
    for (const HeaderKey& key : kHeaderKeys) {
        file.SetInt(kSetting, kCommon, key.key, data.header[key.slot]);
    }
    file.SetInt(kSetting, kCommon, "CsvSeparator", data.trailer.csvSeparator);
    file.SetInt(kSetting, kCommon, "CsvUnderdigit", data.trailer.csvUnderdigit);

    data.trailer.valueFactor = exportCsv && options.micronMode ? options.micronFactor : 1.0;
    for (int output = 0; output < kBufferingOutputs; ++output) {
        WriteInfo(file, kOutputNames[output], data.outputs[static_cast<size_t>(output)],
                  data.trailer.valueFactor);
    }

    code = file.AddCsvBlock(kData, kCsv, ValueRowWriter(data), 0, 0, info);
    if (code != ZUL_OK) {
        ResultInfo ignored;
        file.End(&ignored);
        return code;
    }
    return file.End(info);
}

int32_t LoadBufferingFile(BufferingData& data, std::string_view path,
                          const DataFileOptions& options, ResultInfo* info) {
    ClearResult(info);
    // The file is read into a block of its own, so a file that fails part-way leaves the values
    // shown before exactly as they were. Keys the file lacks keep their present values.
    auto loaded = std::make_unique<BufferingData>();
    {
        std::lock_guard lock(data.mutex);
        loaded->header = data.header;
        loaded->trailer = data.trailer;
    }
    ResultInfo result;
    const int32_t code = ReadFileInto(*loaded, path, options, result);
    if (code != ZUL_OK) {
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
