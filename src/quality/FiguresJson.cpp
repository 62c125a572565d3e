// SPDX-License-Identifier: GPL-3.0-or-later
#include "quality/FiguresJson.h"

#include <charconv>
#include <optional>

namespace zul {

namespace {

std::string JsonFigure(const Figure& figure) {
    return figure ? ShortestNumber(*figure) : "null";
}

std::string JsonShare(const std::optional<LimitShare>& share) {
    if (!share) {
        return "null";
    }
    return "{\"count\": " + std::to_string(share->count) +
           ", \"share\": " + ShortestNumber(share->share) + "}";
}

template <class T, class Format>
std::string Joined(const std::vector<T>& items, Format format) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) {
        text += (i ? ", " : "") + format(items[i]);
    }
    return text;
}

}  // namespace

std::string ShortestNumber(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

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

std::string FiguresJson(const QualityFigures& f, std::span<const int32_t> numbers) {
    std::string text = "{";
    auto field = [&text](const char* key, const std::string& value) {
        text += (text.size() > 1 ? ", \"" : "\"") + std::string(key) + "\": " + value;
    };
    auto named = [](const NamedFigure& figure) {
        return "\"" + std::string(figure.key) + "\": " + JsonFigure(figure.value);
    };
    field("count", std::to_string(f.summary.count));
    for (const NamedFigure& figure : SingleFigures(f)) {
        field(figure.key, JsonFigure(figure.value));
    }
    field("below", JsonShare(f.shares.below));
    field("inside", JsonShare(f.shares.inside));
    field("above", JsonShare(f.shares.above));
    field("histogram",
          "{\"edges\": [" + Joined(f.histogram.edges, ShortestNumber) + "], \"counts\": [" +
              Joined(f.histogram.counts, [](int64_t v) { return std::to_string(v); }) + "]}");
    field("imr", "{" + Joined(ChartFigures(f.imr), named) + "}");
    field("violations", "[" + Joined(f.violations, [numbers](const RuleViolation& v) {
                            const int64_t number = v.index >= 0 && size_t(v.index) < numbers.size()
                                                       ? numbers[size_t(v.index)]
                                                       : v.index + 1;
                            return "{\"rule\": " + std::to_string(v.rule) +
                                   ", \"index\": " + std::to_string(number) + "}";
                        }) + "]");
    return text + "}";
}

}  // namespace zul
