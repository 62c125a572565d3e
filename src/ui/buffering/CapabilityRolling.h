// SPDX-License-Identifier: GPL-3.0-or-later
// Rolling capability figures of a live output: the count, mean, standard deviation and Cpk of
// the last N values (N from 10 to 10000), for the measurement window.
//
// RollingCapability updates its figures in constant time per value: it keeps compensated
// running sums of the values (taken relative to a reference near them, so that values near
// +-999.999 that differ in the sixth decimal keep their spread), of their squares and of the
// moving ranges, adding the new value's terms and removing those of the value that drops out.
// After every N values the sums are formed again from the values held, which bounds the
// rounding that adding and removing could gather. Cpk uses the within sigma of the moving
// ranges (MR-bar / d2), as the full analysis does for subgroups of 1.
#pragma once

#include <cstdint>

#include <QWidget>

#include "quality/CompensatedSum.h"
#include "quality/ProcessStatistics.h"
#include "quality/RollingWindow.h"

class QLabel;
class QSpinBox;

namespace zul {

class UiDefinition;

}  // namespace zul

namespace zul::ui {

class RollingCapability {
public:
    static constexpr int32_t kMinWindow = 10;
    static constexpr int32_t kMaxWindow = 10000;
    static constexpr int32_t kDefaultWindow = 100;

    explicit RollingCapability(int32_t window = kDefaultWindow);

    // Bounded to kMinWindow..kMaxWindow; the latest values held are kept, as far as they fit.
    void SetWindow(int32_t window);
    int32_t Window() const { return int32_t(values_.Capacity()); }
    void SetLimits(const SpecLimits& limits) { limits_ = limits; }
    const SpecLimits& Limits() const { return limits_; }

    // Takes a value; an out-of-range mark of the controller (IsValidBufferedValue false) or a
    // value that is not finite is not taken, and false is returned.
    bool Push(double value);
    void Clear();

    int64_t Count() const { return int64_t(values_.Size()); }
    Figure Mean() const;
    // Sample standard deviation (n - 1); 2 values or more.
    Figure StdDev() const;
    // MR-bar / d2; 2 values or more.
    Figure StdDevWithin() const;
    // Against the limits with the within sigma; one-sided with one limit; undefined without
    // limits or spread.
    Figure Cpk() const;
    // The values held, oldest first.
    std::span<const double> Values() const { return values_.Values(); }

private:
    // Forms the sums again from the values held, around a new reference.
    void Rebuild();

    RollingWindow values_;
    SpecLimits limits_;
    double reference_ = 0.0;
    CompensatedSum sum_;         // of value - reference
    CompensatedSum squares_;     // of (value - reference)^2
    CompensatedSum ranges_;      // of |value - previous| over neighbours held
    int64_t nonZeroRanges_ = 0;  // neighbours held that differ: 0 means no spread at all
    int64_t sinceRebuild_ = 0;
};

// The rolling figures under an output: the window length to choose and one line with the
// count, mean, standard deviation and Cpk. Texts from "Capability_LblRollingWindow" and
// "Capability_TxtRollingItems"; lengths written as the measurement window writes values with
// 6 decimals (micron mode: scaled), undefined figures with "Capability_TxtUndefined".
class CCapabilityRollingView : public QWidget {
    Q_OBJECT
public:
    explicit CCapabilityRollingView(const UiDefinition& ui, QWidget* parent = nullptr);

    RollingCapability& Model() { return model_; }
    void SetLimits(const SpecLimits& limits);
    void SetMicronMode(double factor, int32_t decimals);
    // Takes a value and shows the new figures.
    void Push(double value);
    void Clear();

    QSpinBox* WindowBox() const { return windowBox_; }
    // The texts shown: count, mean, standard deviation, Cpk.
    QString FigureText(int k) const;

private:
    void ShowFigures();

    RollingCapability model_;
    QString undefined_;
    double factor_ = 1.0;
    int32_t decimals_ = 6;
    QSpinBox* windowBox_ = nullptr;
    QLabel* titles_[4] = {};
    QLabel* figures_[4] = {};
};

}  // namespace zul::ui
