// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/CapabilityFigures.h"

#include <algorithm>

#include "quality/FiguresJson.h"
#include "settings/ItemInstances.h"
#include "settings/SafeFile.h"
#include "settings/SettingsStore.h"
#include "ui/buffering/BufferingFormat.h"
#include "ui/framework/QtText.h"

namespace zul::ui {

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

std::string OutputKey(const CapabilityResult& result) {
    return "out" + std::to_string(result.output + 1);
}

bool HasJsonSuffix(const QString& path) {
    return path.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive);
}

}  // namespace

std::string CapabilityJson(std::span<const CapabilityResult* const> results) {
    std::string text = "{";
    for (size_t i = 0; i < results.size(); ++i) {
        text += (i ? ", \"" : "\"") + OutputKey(*results[i]) +
                "\": " + FiguresJson(results[i]->figures, results[i]->sample.numbers);
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
    auto figure = [](const Figure& value) {
        return value ? ShortestNumber(*value) : std::string();
    };
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
            add(std::string(key) + "_share", c,
                *share ? ShortestNumber((*share)->share) : std::string());
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

}  // namespace zul::ui
