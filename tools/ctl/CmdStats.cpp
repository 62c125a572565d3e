// SPDX-License-Identifier: GPL-3.0-or-later
// stats: process statistics of buffered values from a buffering data file or its CSV export,
// without a controller: location and spread, percentiles, capability indices against
// tolerance limits, a histogram, the individuals chart and the Nelson rules.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "CtlAcqSupport.h"
#include "CtlCommand.h"
#include "CtlFiles.h"
#include "app/Application.h"
#include "base/DataFileText.h"
#include "base/NumberText.h"
#include "base/Paths.h"
#include "base/ProfileText.h"
#include "buffering/BufferingFile.h"
#include "quality/FiguresJson.h"
#include "quality/ProcessStatistics.h"
#include "settings/ItemInstances.h"
#include "settings/ProfileFile.h"

namespace zul::ctl {

namespace {

constexpr int kOutputs = 2;

// The values of both outputs as a file holds them: in place in a loaded buffering block, or
// read from a CSV export.
struct StatsInput {
    std::unique_ptr<BufferingData> data;
    std::array<std::vector<double>, kOutputs> csv;
    std::array<std::span<const double>, kOutputs> values;
};

bool HasExtension(const std::string& path, std::string_view extension) {
    if (path.size() < extension.size()) {
        return false;
    }
    std::string tail = path.substr(path.size() - extension.size());
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == extension;
}

int FailFile(CtlContext& context, int32_t code, const std::string& path, int32_t osError,
             std::string reason) {
    ResultInfo result;
    SetResult(&result, code, osError, FileNameWithExtension(path), std::move(reason));
    return context.out.Fail(&context.app.Ui(), result);
}

// A file that is missing or a folder would read as an empty file.
int CheckInputFile(CtlContext& context, const std::string& path, int32_t code) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return FailFile(context, code, path, ENOENT, std::strerror(ENOENT));
    }
    if (std::filesystem::is_directory(path, ec)) {
        return FailFile(context, code, path, EISDIR, std::strerror(EISDIR));
    }
    return 0;
}

// A field as shown in a message: escaped and cut short.
std::string Shown(const std::string& text) {
    constexpr size_t kShown = 40;
    std::string shown = EscapeText(text.substr(0, kShown));
    return "\"" + shown + (text.size() > kShown ? "...\"" : "\"");
}

// Reads the export of `buffer read -o FILE.csv`: the title row 0,Output1,Output2 (its
// separator, a comma, semicolon or tab, is the file's), then rows 1, 2, ... in order with the
// row number and one field per output, empty once the output has no more values. A decimal
// comma is accepted. Anything else is refused with the line it was found on.
bool ReadExportCsv(const std::string& path, std::array<std::vector<double>, kOutputs>& values,
                   int32_t& osError, std::string& reason) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        osError = errno;
        reason = std::strerror(errno);
        return false;
    }
    auto fail = [&](size_t line, const std::string& what) {
        reason = "line " + std::to_string(line) + ": " + what;
        return false;
    };
    std::string line;
    size_t lineNumber = 0;
    char separator = 0;
    int64_t expectedRow = 1;
    std::array<bool, kOutputs> ended{};
    while (std::getline(in, line)) {
        ++lineNumber;
        if (lineNumber == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0) {
            line.erase(0, 3);
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        if (separator == 0) {
            for (char candidate : {',', ';', '\t'}) {
                if (SplitCsvRow(line, candidate) ==
                    std::vector<std::string>{"0", "Output1", "Output2"}) {
                    separator = candidate;
                }
            }
            if (separator == 0) {
                return fail(lineNumber, "no title row 0,Output1,Output2 of a buffering export");
            }
            continue;
        }
        const std::vector<std::string> fields = SplitCsvRow(line, separator);
        int32_t row = 0;
        if (fields.empty() || !ParseDecimalExact(fields[0], row) || row != expectedRow) {
            return fail(lineNumber, "row number " + std::to_string(expectedRow) + " expected");
        }
        if (fields.size() > 1 + kOutputs) {
            return fail(lineNumber, "more than " + std::to_string(1 + kOutputs) + " fields");
        }
        ++expectedRow;
        for (int out = 0; out < kOutputs; ++out) {
            const size_t column = static_cast<size_t>(out) + 1;
            std::string text = column < fields.size() ? fields[column] : std::string();
            if (text.empty()) {
                ended[static_cast<size_t>(out)] = true;
                continue;
            }
            if (ended[static_cast<size_t>(out)]) {
                return fail(lineNumber, "a value of OUT" + std::to_string(out + 1) +
                                            " after its values had ended");
            }
            if (text.find('.') == std::string::npos) {
                std::replace(text.begin(), text.end(), ',', '.');
            }
            double value = 0.0;
            if (!ParseRealExact(text, value)) {
                return fail(lineNumber, Shown(fields[column]) + " is not a number");
            }
            values[static_cast<size_t>(out)].push_back(value);
        }
    }
    if (in.bad()) {
        osError = EIO;
        reason = std::strerror(EIO);
        return false;
    }
    if (separator == 0) {
        return fail(lineNumber, "no title row 0,Output1,Output2 of a buffering export");
    }
    return true;
}

int ReadInput(CtlContext& context, const std::string& path, StatsInput& input) {
    if (int status = CheckInputFile(context, path, ZUL_ERR_FILE_READ)) {
        return status;
    }
    if (HasExtension(path, ".csv")) {
        int32_t osError = 0;
        std::string reason;
        if (!ReadExportCsv(path, input.csv, osError, reason)) {
            return FailFile(context, ZUL_ERR_FILE_READ, path, osError, reason);
        }
        for (int out = 0; out < kOutputs; ++out) {
            input.values[static_cast<size_t>(out)] = input.csv[static_cast<size_t>(out)];
        }
        return 0;
    }
    const SettingsStore& store = context.app.Store();
    DataFileOptions options;
    options.csvSeparator = store.GetInt<kSoftCsvSeparator>();
    options.csvUnderdigit = store.GetInt<kSoftCsvUnderdigit>();
    input.data = std::make_unique<BufferingData>();
    ResultInfo result;
    if (LoadBufferingFile(*input.data, path, options, &result) != ZUL_OK) {
        return context.out.Fail(&context.app.Ui(), result);
    }
    std::lock_guard lock(input.data->mutex);
    for (int out = 0; out < kOutputs; ++out) {
        const std::vector<double>& held = input.data->outputs[static_cast<size_t>(out)].values;
        input.values[static_cast<size_t>(out)] =
            std::span<const double>(held.data(), static_cast<size_t>(input.data->HeldCount(out)));
    }
    return 0;
}

// The judgement limits of both outputs in the current memory bank of a settings file: the
// lower (DecisionMin) and upper (DecisionMax) limit of each output, as far as the file holds
// them.
int ReadLimitsFile(CtlContext& context, const std::string& path,
                   std::array<SpecLimits, kOutputs>& limits) {
    const std::string source = CommandLinePath(path);
    if (int status = CheckInputFile(context, source, ZUL_ERR_INI_FILE_READ)) {
        return status;
    }
    SettingsStore store;
    if (int status = LoadSettingsCopy(context, source, InputSettings::kBanks, store)) {
        return status;
    }
    const int32_t bank = store.GetInt<kAppCurMemNo>();
    if (bank < 0 || bank >= kBankCount) {
        return FailFile(context, ZUL_ERR_INI_FILE_READ, source, 0,
                        "its current memory bank " + std::to_string(bank) + " is not 0 to " +
                            std::to_string(kBankCount - 1));
    }
    // A key the file lacks reads as the store's initial 0; only keys present count.
    ProfileFile file;
    file.SetPath(source);
    ResultInfo result;
    if (file.Begin(false, &result) != ZUL_OK) {
        return context.out.Fail(&context.app.Ui(), result);
    }
    bool any = false;
    for (int out = 0; out < kOutputs; ++out) {
        auto present = [&](int32_t id) {
            const SettingItem& item = *FindItem(id);
            return !file.GetString(ExpandPattern(item.section, bank, 0, out), "",
                                   ExpandPattern(item.key, bank, 0, out), "")
                        .empty();
        };
        SpecLimits& own = limits[static_cast<size_t>(out)];
        if (present(kOutDecisionMin)) {
            own.lower = store.GetDouble<kOutDecisionMin>(bank, out);
            any = true;
        }
        if (present(kOutDecisionMax)) {
            own.upper = store.GetDouble<kOutDecisionMax>(bank, out);
            any = true;
        }
    }
    file.End(nullptr);
    if (!any) {
        return FailFile(context, ZUL_ERR_INI_FILE_READ, source, 0,
                        "holds no judgement limits of memory bank " + std::to_string(bank));
    }
    return 0;
}

std::string PlainFigure(const Figure& figure) {
    return figure ? ShortestNumber(*figure) : "undefined";
}

std::string PlainShare(const std::optional<LimitShare>& share) {
    return share ? std::to_string(share->count) + " (share " + ShortestNumber(share->share) + ")"
                 : "undefined";
}

template <class T, class Format>
std::string Joined(const std::vector<T>& items, const std::string& separator, Format format) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        text += (i ? separator : "") + format(items[i]);
    }
    return text;
}

void AddPlain(std::vector<std::pair<std::string, std::string>>& plain, const std::string& name,
              const QualityFigures& f) {
    auto line = [&plain](const std::string& key, const std::string& value) {
        plain.emplace_back("  " + key, value);
    };
    plain.emplace_back(name, std::to_string(f.summary.count) + " values");
    for (const NamedFigure& figure : SingleFigures(f)) {
        line(figure.key, PlainFigure(figure.value));
    }
    line("below", PlainShare(f.shares.below));
    line("inside", PlainShare(f.shares.inside));
    line("above", PlainShare(f.shares.above));
    line("histogram edges", Joined(f.histogram.edges, " ", ShortestNumber));
    line("histogram counts",
         Joined(f.histogram.counts, " ", [](int64_t v) { return std::to_string(v); }));
    for (const NamedFigure& figure : ChartFigures(f.imr)) {
        line(std::string("imr ") + figure.key, PlainFigure(figure.value));
    }
    line("violations", std::to_string(f.violations.size()));
    for (int32_t rule = 1; rule <= 8; ++rule) {
        std::string numbers;
        for (const RuleViolation& v : f.violations) {
            if (v.rule == rule) {
                numbers += (numbers.empty() ? "" : " ") + std::to_string(v.index + 1);
            }
        }
        if (!numbers.empty()) {
            line("rule " + std::to_string(rule), numbers);
        }
    }
}

int RunStats(CtlContext& context, const CommandArgs& args) {
    const std::string path = CommandLinePath(args.positional[0]);
    if (!HasExtension(path, ".bfd") && !HasExtension(path, ".csv")) {
        return UsageFailure("stats needs a .bfd or .csv file");
    }
    std::optional<int> onlyOutput;
    if (args.values.count("--out")) {
        const auto out = ParseInteger(args.Value("--out"), 1, kOutputs);
        if (!out) {
            return UsageFailure("--out takes 1 or 2");
        }
        onlyOutput = static_cast<int>(*out) - 1;
    }
    QualityOptions common;
    if (args.values.count("--lsl")) {
        common.limits.lower = ParseReal(args.Value("--lsl"));
        if (!common.limits.lower) {
            return UsageFailure("--lsl takes a decimal number");
        }
    }
    if (args.values.count("--usl")) {
        common.limits.upper = ParseReal(args.Value("--usl"));
        if (!common.limits.upper) {
            return UsageFailure("--usl takes a decimal number");
        }
    }
    if (common.limits.lower && common.limits.upper &&
        !(*common.limits.lower < *common.limits.upper)) {
        return UsageFailure("--lsl must be below --usl");
    }
    if (args.values.count("--subgroup")) {
        const auto size = ParseInteger(args.Value("--subgroup"), 1, INT32_MAX);
        if (!size) {
            return UsageFailure("--subgroup takes a whole number from 1");
        }
        common.subgroupSize = *size;
    }
    if (args.values.count("--bins")) {
        const auto bins = ParseInteger(args.Value("--bins"), 1, kHistogramMaxBins);
        if (!bins) {
            return UsageFailure("--bins takes a whole number from 1 to " +
                                std::to_string(kHistogramMaxBins));
        }
        common.histogramBins = static_cast<int32_t>(*bins);
    }

    std::array<QualityOptions, kOutputs> options = {common, common};
    if (args.values.count("--limits")) {
        std::array<SpecLimits, kOutputs> fileLimits;
        if (int status = ReadLimitsFile(context, args.Value("--limits"), fileLimits)) {
            return status;
        }
        // Limits given on the command line take the place of the file's.
        for (int out = 0; out < kOutputs; ++out) {
            SpecLimits& limits = options[static_cast<size_t>(out)].limits;
            limits.lower = common.limits.lower ? common.limits.lower
                                               : fileLimits[static_cast<size_t>(out)].lower;
            limits.upper = common.limits.upper ? common.limits.upper
                                               : fileLimits[static_cast<size_t>(out)].upper;
        }
    }

    StatsInput input;
    if (int status = ReadInput(context, path, input)) {
        return status;
    }
    std::vector<int> outputs;
    for (int out = 0; out < kOutputs; ++out) {
        if ((!onlyOutput || *onlyOutput == out) &&
            !input.values[static_cast<size_t>(out)].empty()) {
            outputs.push_back(out);
        }
    }
    if (outputs.empty()) {
        return FailFile(context, ZUL_ERR_FILE_READ, path, 0,
                        onlyOutput ? "holds no values of OUT" + std::to_string(*onlyOutput + 1)
                                   : std::string("holds no values"));
    }

    std::vector<JsonField> json;
    std::vector<std::pair<std::string, std::string>> plain;
    QualityAnalyzer analyzer;
    QualityFigures figures;
    for (int out : outputs) {
        const std::string name = "out" + std::to_string(out + 1);
        ResultInfo result;
        if (analyzer.Analyze(input.values[static_cast<size_t>(out)],
                             options[static_cast<size_t>(out)], figures, &result) != ZUL_OK) {
            result.detail1 = "OUT" + std::to_string(out + 1) + " " + result.detail1 + ":";
            return context.out.Fail(&context.app.Ui(), result);
        }
        json.push_back({name, FiguresJson(figures)});
        AddPlain(plain, name, figures);
    }
    context.out.Result(json, plain);
    return 0;
}

}  // namespace

std::vector<CtlCommand> StatsCommands() {
    return {
        {"stats",
         "FILE.bfd|FILE.csv [--out 1|2] [--lsl X] [--usl Y] [--limits FILE.zul] [--subgroup N] "
         "[--bins N]",
         "process statistics of the values in a buffering file (Cp, Cpk, I-MR, Nelson rules)",
         {"--out", "--lsl", "--usl", "--limits", "--subgroup", "--bins"},
         {},
         {},
         1,
         1,
         false,  // reads files only
         RunStats},
    };
}

}  // namespace zul::ctl
