// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffering/BufferingFile.h"

#include <algorithm>

#include <cstdio>
#include <string>
#include <vector>

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

void DropValues(BufferingData& data) {
    for (int output = 0; output < kBufferingOutputs; ++output) {
        data.header[BufferingValueSet::FinalDataPoint(output)] = 0;
        data.outputs[static_cast<size_t>(output)].cache.Clear();
    }
}

// Places one CSV row by its number into the outputs that hold that many values.
void ReadValueRow(BufferingData& data, const std::string& line) {
    const std::vector<std::string> fields =
        SplitCsvRow(line, CsvSeparatorChar(data.trailer.csvSeparator));
    if (fields.empty() || fields[0].empty()) {
        return;
    }
    const int32_t n = ParseLeadingInt(fields[0]);
    if (n <= 0) {
        return;
    }
    for (int output = 0; output < kBufferingOutputs; ++output) {
        if (n > data.HeldCount(output)) {
            continue;
        }
        double value = 0.0;
        size_t column = static_cast<size_t>(output) + 1;
        if (column < fields.size()) {
            std::string text = fields[column];
            if (data.trailer.csvUnderdigit == 1) {
                std::replace(text.begin(), text.end(), ',', '.');
            }
            value = ParseLeadingDouble(text);
        }
        data.outputs[static_cast<size_t>(output)].values[static_cast<size_t>(n - 1)] = value;
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
    std::lock_guard lock(data.mutex);
    ProfileFile& file = data.profile;
    file.SetPath(path);
    file.SetLayoutMode(kLayoutDataFile);
    int32_t code = file.Begin(false, info);
    if (code != ZUL_OK) {
        DropValues(data);
        return code;
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

    for (int output = 0; output < kBufferingOutputs; ++output) {
        int32_t& count = data.header[BufferingValueSet::FinalDataPoint(output)];
        count = std::clamp(count, 0, kMaxBufferedValues);
        OutputBuffer& buffer = data.outputs[static_cast<size_t>(output)];
        std::fill(buffer.values.begin(), buffer.values.begin() + count, 0.0);
        buffer.cache.Clear();
    }

    code = file.ReadCsvBlocks(
        kData, kCsv,
        [&data](int64_t, int64_t, ResultInfo&, int64_t&, bool&, const std::string& line) {
            ReadValueRow(data, line);
        },
        0, 0, info);
    ResultInfo endInfo;
    int32_t endCode = file.End(&endInfo);
    if (code == ZUL_OK && endCode != ZUL_OK) {
        code = endCode;
        if (info) {
            *info = endInfo;
        }
    }
    if (code != ZUL_OK) {
        DropValues(data);
    }
    return code;
}

}  // namespace zul
