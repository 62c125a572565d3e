// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/CapabilityRolling.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "buffering/BufferingStatistics.h"
#include "quality/ControlConstants.h"
#include "settings/UiDefinition.h"
#include "ui/buffering/CapabilityPanel.h"
#include "ui/framework/UiApplier.h"

namespace zul::ui {

RollingCapability::RollingCapability(int32_t window)
    : values_(size_t(std::clamp(window, kMinWindow, kMaxWindow))) {}

void RollingCapability::SetWindow(int32_t window) {
    window = std::clamp(window, kMinWindow, kMaxWindow);
    if (size_t(window) == values_.Capacity()) {
        return;
    }
    const std::span<const double> held = values_.Values();
    const std::vector<double> kept(held.end() - std::min(held.size(), size_t(window)), held.end());
    values_ = RollingWindow(size_t(window));
    for (double value : kept) {
        values_.Push(value);
    }
    Rebuild();
}

void RollingCapability::Clear() {
    values_.Clear();
    Rebuild();
}

bool RollingCapability::Push(double value) {
    if (!std::isfinite(value) || !IsValidBufferedValue(value)) {
        return false;
    }
    const std::span<const double> held = values_.Values();
    if (held.empty()) {
        reference_ = value;
    } else {
        if (held.size() == values_.Capacity()) {
            // The oldest value and its range to the next one drop out.
            const double oldest = held[0] - reference_;
            sum_.Add(-oldest);
            squares_.Add(-oldest * oldest);
            const double range = std::fabs(held[1] - held[0]);
            ranges_.Add(-range);
            nonZeroRanges_ -= range != 0.0 ? 1 : 0;
        }
        const double range = std::fabs(value - held.back());
        ranges_.Add(range);
        nonZeroRanges_ += range != 0.0 ? 1 : 0;
    }
    values_.Push(value);
    const double deviation = value - reference_;
    sum_.Add(deviation);
    squares_.Add(deviation * deviation);
    if (++sinceRebuild_ >= int64_t(values_.Capacity())) {
        Rebuild();
    }
    return true;
}

void RollingCapability::Rebuild() {
    const std::span<const double> held = values_.Values();
    if (!held.empty()) {
        reference_ = *Mean();
    }
    sum_ = {};
    squares_ = {};
    ranges_ = {};
    nonZeroRanges_ = 0;
    sinceRebuild_ = 0;
    for (size_t i = 0; i < held.size(); ++i) {
        const double deviation = held[i] - reference_;
        sum_.Add(deviation);
        squares_.Add(deviation * deviation);
        if (i > 0) {
            const double range = std::fabs(held[i] - held[i - 1]);
            ranges_.Add(range);
            nonZeroRanges_ += range != 0.0 ? 1 : 0;
        }
    }
}

Figure RollingCapability::Mean() const {
    const int64_t n = Count();
    if (n < 1) {
        return std::nullopt;
    }
    return reference_ + sum_.Value() / double(n);
}

Figure RollingCapability::StdDev() const {
    const int64_t n = Count();
    if (n < 2) {
        return std::nullopt;
    }
    if (nonZeroRanges_ == 0) {
        return 0.0;
    }
    const double sum = sum_.Value();
    const double spread = squares_.Value() - sum * sum / double(n);
    return std::sqrt(std::max(0.0, spread) / double(n - 1));
}

Figure RollingCapability::StdDevWithin() const {
    const int64_t n = Count();
    if (n < 2) {
        return std::nullopt;
    }
    if (nonZeroRanges_ == 0) {
        return 0.0;
    }
    return std::max(0.0, ranges_.Value()) / double(n - 1) / kD2MovingRange;
}

Figure RollingCapability::Cpk() const {
    return ComputeCapability(limits_, Mean(), StdDev(), StdDevWithin()).cpk;
}

CCapabilityRollingView::CCapabilityRollingView(const UiDefinition& ui, QWidget* parent)
    : QWidget(parent), windowBox_(new QSpinBox) {
    undefined_ = CapabilityText(ui, "Capability_TxtUndefined");
    // Two lines, so that they fit under an output's value.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* windowRow = new QHBoxLayout;
    auto* figureRow = new QHBoxLayout;
    layout->addLayout(windowRow);
    layout->addLayout(figureRow);
    auto* windowLabel = new QLabel;
    ApplyCapabilityRecord(ui, "Capability_LblRollingWindow", windowLabel);
    windowLabel->setBuddy(windowBox_);
    windowBox_->setRange(RollingCapability::kMinWindow, RollingCapability::kMaxWindow);
    windowBox_->setValue(model_.Window());
    windowBox_->setToolTip(windowLabel->toolTip());
    windowRow->addWidget(windowLabel);
    windowRow->addWidget(windowBox_);
    const QStringList titles = CapabilityTexts(ui, "Capability_TxtRollingItems");
    for (int k = 0; k < 4; ++k) {
        titles_[k] = new QLabel(CapabilityTextAt(titles, k));
        figures_[k] = new QLabel;
        figures_[k]->setTextInteractionFlags(Qt::TextSelectableByMouse);
        // The count beside the number of values asked for, the figures on the next line.
        QHBoxLayout* row = k == 0 ? windowRow : figureRow;
        if (k != 1) {
            row->addSpacing(8);
        }
        row->addWidget(titles_[k]);
        row->addWidget(figures_[k]);
    }
    windowRow->addStretch(1);
    figureRow->addStretch(1);
    ApplyAccessibleNames(this);
    connect(windowBox_, &QSpinBox::valueChanged, this, [this](int window) {
        model_.SetWindow(window);
        ShowFigures();
    });
    ShowFigures();
}

void CCapabilityRollingView::SetLimits(const SpecLimits& limits) {
    model_.SetLimits(limits);
    ShowFigures();
}

void CCapabilityRollingView::SetMicronMode(double factor, int32_t decimals) {
    if (factor == factor_ && decimals == decimals_) {
        return;  // set at every cycle: the figures are shown by the value that follows
    }
    factor_ = factor;
    decimals_ = decimals;
    ShowFigures();
}

void CCapabilityRollingView::Push(double value) {
    model_.Push(value);
    ShowFigures();
}

void CCapabilityRollingView::Clear() {
    model_.Clear();
    ShowFigures();
}

QString CCapabilityRollingView::FigureText(int k) const {
    return k >= 0 && k < 4 ? figures_[k]->text() : QString();
}

void CCapabilityRollingView::ShowFigures() {
    auto length = [this](const Figure& figure) {
        return figure ? QString::number(*figure * factor_, 'f', decimals_) : undefined_;
    };
    figures_[0]->setText(QString::number(model_.Count()));
    figures_[1]->setText(length(model_.Mean()));
    figures_[2]->setText(length(model_.StdDev()));
    figures_[3]->setText(IndexFigureText(model_.Cpk(), undefined_));
}

}  // namespace zul::ui
