// SPDX-License-Identifier: GPL-3.0-or-later
// The figures of one analysis by name, and as the JSON object that `qvm8ctl stats --json` and
// the statistics files write: undefined figures as null, numbers with the full precision of a
// double (the shortest text that reads back as the same value).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "quality/ProcessStatistics.h"

namespace zul {

struct NamedFigure {
    const char* key;
    Figure value;
};

// The shortest text that reads back as the same double.
std::string ShortestNumber(double value);

// The single figures from the mean to Ppk ("mean", "stddev", "stddev_within", "min", "max",
// "range", "median", "p00135", "p99865", "lsl", "usl", "cp", "cpk", "pp", "ppk").
std::vector<NamedFigure> SingleFigures(const QualityFigures& f);
// The individuals chart ("center", "ucl", "lcl", "mr_bar", "mr_ucl").
std::vector<NamedFigure> ChartFigures(const IndividualsChart& imr);

// The object of one output: "count", the single figures, "below"/"inside"/"above" as
// {"count", "share"}, "histogram" {"edges", "counts"}, "imr" and "violations" as a list of
// {"rule", "index"}. The index of violation k is numbers[position] when numbers names the
// values analysed (the value numbers of a selection), else the position counted from 1.
std::string FiguresJson(const QualityFigures& f, std::span<const int32_t> numbers = {});

}  // namespace zul
