// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/CapabilityFigures.h"

#include <algorithm>
#include <charconv>

#include "buffering/BufferingStatistics.h"
#include "settings/ItemInstances.h"
#include "settings/SafeFile.h"
#include "settings/SettingsStore.h"
#include "ui/buffering/BufferingFormat.h"
#include "ui/framework/QtText.h"

namespace zul {

void SelectCapabilityValues(std::span<const double> values, const CapabilityRange& range,
                            CapabilitySample& sample) {
    sample.values.clear();
    sample.numbers.clear();
    sample.invalid = 0;
    sample.rangeActive = true;
    const auto n = static_cast<int32_t>(std::min<size_t>(values.size(), INT32_MAX));
    int32_t first = 1;
    int32_t last = n;
    if (range.betweenOnly) {
        sample.rangeActive =
            range.measuringOn && range.left <= range.right && range.left <= n && range.left >= 1;
        first = range.left;
        last = std::min(range.right, n);
    }
    if (!sample.rangeActive || n == 0) {
        sample.first = 0;
        sample.last = 0;
        return;
    }
    sample.first = first;
    sample.last = last;
    sample.values.reserve(size_t(last - first + 1));
    sample.numbers.reserve(size_t(last - first + 1));
    for (int32_t number = first; number <= last; ++number) {
        const double value = values[size_t(number - 1)];
        if (IsValidBufferedValue(value)) {
            sample.values.push_back(value);
            sample.numbers.push_back(number);
        } else {
            ++sample.invalid;
        }
    }
}

int32_t CapabilityResult::ViolationNumber(size_t k) const {
    const int64_t index = figures.violations[k].index;
    return index >= 0 && size_t(index) < sample.numbers.size() ? sample.numbers[size_t(index)] : 0;
}

SpecLimits BankJudgementLimits(const SettingsStore& store, int output) {
    const auto lock = store.Lock();
    const int32_t bank = store.GetInt<kAppCurMemNo>();
    if (bank < 0 || bank >= kBankCount) {
        return {};
    }
    const double lower = store.GetDouble<kOutDecisionMin>(bank, output);
    const double upper = store.GetDouble<kOutDecisionMax>(bank, output);
    if (!(lower < upper)) {
        return {};
    }
    return {lower, upper};
}

QString LengthFigureText(const Figure& figure, const MicronMode& micron, const QString& undefined) {
    return figure ? StatisticText(*figure, micron) : undefined;
}

QString IndexFigureText(const Figure& figure, const QString& undefined) {
    return figure ? QString::number(*figure, 'f', 3) : undefined;
}

QString ShareText(const std::optional<LimitShare>& share, const QString& format,
                  const QString& undefined) {
    if (!share) {
        return undefined;
    }
    return format.arg(share->count).arg(share->share * 100.0, 0, 'f', 3);
}

namespace {

// The shortest text that reads back as the same double.
std::string Number(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

std::string JsonFigure(const Figure& figure) {
    return figure ? Number(*figure) : "null";
}

std::string JsonShare(const std::optional<LimitShare>& share) {
    if (!share) {
        return "null";
    }
    return "{\"count\": " + std::to_string(share->count) + ", \"share\": " + Number(share->share) +
           "}";
}

struct NamedFigure {
    const char* key;
    Figure value;
};

// The single figures from the mean to Ppk, in the order of `qvm8ctl stats`.
std::vector<NamedFigure> SingleFigures(const QualityFigures& f) {
    const Summary& s = f.summary;
    const Capability& c = f.capability;
    return {{"mean", s.mean},
            {"stddev", s.stddev},
            {"stddev_within", f.stddevWithin},
            {"min", s.min},
            {"max", s.max},
            {"range", s.range},
            {"median", s.median},
            {"p00135", s.p00135},
            {"p99865", s.p99865},
            {"lsl", f.limits.lower},
            {"usl", f.limits.upper},
            {"cp", c.cp},
            {"cpk", c.cpk},
            {"pp", c.pp},
            {"ppk", c.ppk}};
}

std::vector<NamedFigure> ChartFigures(const IndividualsChart& imr) {
    return {{"center", imr.center},
            {"ucl", imr.ucl},
            {"lcl", imr.lcl},
            {"mr_bar", imr.mrBar},
            {"mr_ucl", imr.mrUcl}};
}

template <class T, class Format>
std::string Joined(const std::vector<T>& items, Format format) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        text += (i ? ", " : "") + format(items[i]);
    }
    return text;
}

std::string OutputKey(const CapabilityResult& result) {
    return "out" + std::to_string(result.output + 1);
}

std::string FiguresJson(const CapabilityResult& result) {
    const QualityFigures& f = result.figures;
    std::string text = "{";
    auto field = [&text](const char* key, const std::string& value) {
        text += (text.size() > 1 ? ", \"" : "\"") + std::string(key) + "\": " + value;
    };
    field("count", std::to_string(f.summary.count));
    for (const NamedFigure& figure : SingleFigures(f)) {
        field(figure.key, JsonFigure(figure.value));
    }
    field("below", JsonShare(f.shares.below));
    field("inside", JsonShare(f.shares.inside));
    field("above", JsonShare(f.shares.above));
    field("histogram",
          "{\"edges\": [" + Joined(f.histogram.edges, [](double v) { return Number(v); }) +
              "], \"counts\": [" +
              Joined(f.histogram.counts, [](int64_t v) { return std::to_string(v); }) + "]}");
    field("imr", "{" + Joined(ChartFigures(f.imr), [](const NamedFigure& figure) {
                     return "\"" + std::string(figure.key) + "\": " + JsonFigure(figure.value);
                 }) + "}");
    std::string violations;
    for (size_t k = 0; k < f.violations.size(); ++k) {
        violations += (k ? ", " : "") + std::string("{\"rule\": ") +
                      std::to_string(f.violations[k].rule) +
                      ", \"index\": " + std::to_string(result.ViolationNumber(k)) + "}";
    }
    field("violations", "[" + violations + "]");
    return text + "}";
}

bool HasJsonSuffix(const QString& path) {
    return path.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive);
}

}  // namespace

std::string CapabilityJson(std::span<const CapabilityResult* const> results) {
    std::string text = "{";
    for (size_t i = 0; i < results.size(); ++i) {
        text += (i ? ", \"" : "\"") + OutputKey(*results[i]) + "\": " + FiguresJson(*results[i]);
    }
    return text + "}\n";
}

std::string CapabilityCsv(std::span<const CapabilityResult* const> results) {
    std::vector<std::pair<std::string, std::vector<std::string>>> rows;
    auto add = [&rows](const std::string& key, size_t column, const std::string& value) {
        auto row = std::find_if(rows.begin(), rows.end(),
                                [&key](const auto& existing) { return existing.first == key; });
        if (row == rows.end()) {
            rows.emplace_back(key, std::vector<std::string>());
            row = rows.end() - 1;
        }
        row->second.resize(column + 1);
        row->second[column] = value;
    };
    auto figure = [](const Figure& value) { return value ? Number(*value) : std::string(); };
    std::string text = "key";
    for (size_t c = 0; c < results.size(); ++c) {
        const CapabilityResult& result = *results[c];
        const QualityFigures& f = result.figures;
        text += "," + OutputKey(result);
        add("count", c, std::to_string(f.summary.count));
        for (const NamedFigure& named : SingleFigures(f)) {
            add(named.key, c, figure(named.value));
        }
        const std::pair<const char*, const std::optional<LimitShare>*> shares[] = {
            {"below", &f.shares.below}, {"inside", &f.shares.inside}, {"above", &f.shares.above}};
        for (const auto& [key, share] : shares) {
            add(key, c, *share ? std::to_string((*share)->count) : std::string());
            add(std::string(key) + "_share", c, *share ? Number((*share)->share) : std::string());
        }
        for (const NamedFigure& named : ChartFigures(f.imr)) {
            add(std::string("imr_") + named.key, c, figure(named.value));
        }
        add("violations", c, std::to_string(f.violations.size()));
    }
    text += "\r\n";
    for (auto& [key, values] : rows) {
        values.resize(results.size());
        text += key;
        for (const std::string& value : values) {
            text += "," + value;
        }
        text += "\r\n";
    }
    return text;
}

int32_t SaveCapabilityStatistics(const QString& path,
                                 std::span<const CapabilityResult* const> results,
                                 ResultInfo* info) {
    ClearResult(info);
    const std::string target = ToStdString(path);
    const std::string content =
        HasJsonSuffix(path) ? CapabilityJson(results) : CapabilityCsv(results);
    return WriteWholeFileAtomically(target, content, info);
}

}  // namespace zul
