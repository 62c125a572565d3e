// SPDX-License-Identifier: GPL-3.0-or-later
// The process-capability figures of one buffered output as the buffering window shows, saves
// and prints them: which values take part (the valid ones, all or those between the
// horizontal measure lines), the analysis with the user's limits, subgroup size and bin count,
// the texts of single figures, and the statistics files (CSV and JSON).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <QString>

#include "base/ResultInfo.h"
#include "buffering/CapabilitySample.h"
#include "quality/ProcessStatistics.h"
#include "settings/MicronMode.h"

namespace zul {

class SettingsStore;

}  // namespace zul

namespace zul::ui {

// One output's analysis.
struct CapabilityResult {
    int output = 0;  // 0 OUT1, 1 OUT2
    CapabilitySample sample;
    QualityOptions options;  // as analysed (limits dropped when they were refused)
    QualityFigures figures;
    // The value number of violation k (figures.violations[k]).
    int32_t ViolationNumber(size_t k) const;
};

// The judgement limits of the current memory bank for an output (DecisionMin, DecisionMax).
// Limits that are not in order (a bank never read holds 0 and 0) give no limits.
SpecLimits BankJudgementLimits(const SettingsStore& store, int output);

// A length figure as the statistics page writes lengths (StatisticText: "%0.6lf", or scaled
// in micron mode); an index with three decimals; undefined figures give the undefined text.
QString LengthFigureText(const Figure& figure, const MicronMode& micron, const QString& undefined);
QString IndexFigureText(const Figure& figure, const QString& undefined);
// A share of the values: the format's %1 is the count, %2 the share in per cent (3 decimals).
QString ShareText(const std::optional<LimitShare>& share, const QString& format,
                  const QString& undefined);

// The statistics files. JSON: one object with a member "out1" / "out2" per result, each with
// the keys of `qvm8ctl stats --json` (undefined figures null, full double precision, rule
// violations with their value numbers). CSV: a title row "key,out1[,out2]" and one row per
// single figure with the shares split into count and share ("below", "below_share", ...) and
// the chart figures as "imr_center" ... "imr_mr_ucl", "violations" the number of rule
// violations; undefined figures are empty fields. The histogram and the violation list are in
// the JSON file only.
std::string CapabilityJson(std::span<const CapabilityResult* const> results);
std::string CapabilityCsv(std::span<const CapabilityResult* const> results);

// Writes CapabilityJson (a path ending in ".json", any case) or CapabilityCsv to path through
// the atomic writer: the old file stays whole until the new one is complete. ZUL_OK or the
// file result (path in detail1, the system's reason in detail2).
int32_t SaveCapabilityStatistics(const QString& path,
                                 std::span<const CapabilityResult* const> results,
                                 ResultInfo* info);

}  // namespace zul::ui
