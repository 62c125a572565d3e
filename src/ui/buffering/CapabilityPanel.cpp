// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/CapabilityPanel.h"

#include <cmath>

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QVBoxLayout>

#include "settings/UiDefinition.h"
#include "ui/buffering/BufferingFormat.h"
#include "ui/buffering/ControlChartView.h"
#include "ui/buffering/HistogramView.h"
#include "ui/framework/FallbackTexts.h"
#include "ui/framework/GridCtrl.h"
#include "ui/framework/QtText.h"
#include "ui/framework/UiApplier.h"

namespace zul::ui {

QString CapabilityText(const UiDefinition& ui, const char* name) {
    const UiControlRecord* record = ui.FindByName(name);
    return record != nullptr ? CaptionText(record->caption) : FallbackNoStringData();
}

QStringList CapabilityTexts(const UiDefinition& ui, const char* name) {
    const UiControlRecord* record = ui.FindByName(name);
    return record != nullptr ? CaptionList(record->caption) : QStringList{};
}

QString CapabilityTextAt(const QStringList& list, int k) {
    return k >= 0 && k < list.size() ? list[k] : FallbackNoStringData();
}

void ApplyCapabilityRecord(const UiDefinition& ui, const char* name, QObject* target) {
    target->setProperty(kUiNameProperty, QString::fromLatin1(name));
    if (const UiControlRecord* record = ui.FindByName(name)) {
        ApplyRecord(ui, *record, target);
    } else if (auto* widget = qobject_cast<QWidget*>(target)) {
        widget->setProperty("text", FallbackNoStringData());
    }
}

namespace {

constexpr int kFiguresWidth = 320;

}  // namespace

CCapabilityPanel::CCapabilityPanel(const UiDefinition& ui, int output, QWidget* parent)
    : QWidget(parent), ui_(ui) {
    result_.output = output;
    grid_ = new CGridCtrl;
    grid_->SetSize(kRows, 2);
    grid_->SetRowHeadersVisible(false);
    grid_->horizontalHeader()->setStretchLastSection(true);
    status_ = new QLabel;
    status_->setWordWrap(true);
    histogram_ = new CHistogramView;
    chart_ = new CControlChartView;

    auto* views = new QSplitter(Qt::Vertical);
    views->addWidget(histogram_);
    views->addWidget(chart_);
    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(grid_);
    split->addWidget(views);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 2);
    // The figures need their titles and a number; the charts take the rest.
    split->setSizes({kFiguresWidth, 2 * kFiguresWidth});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(BuildOptions());
    layout->addWidget(status_);
    layout->addWidget(split, 1);
    ApplyTexts();
    ApplyAccessibleNames(this);
    ConnectOptions();
    Recompute();
}

// The limits, subgroup size, bin count and range choice, with their labels.
QGridLayout* CCapabilityPanel::BuildOptions() {
    lowerEdit_ = new QLineEdit;
    upperEdit_ = new QLineEdit;
    subgroupBox_ = new QSpinBox;
    subgroupBox_->setRange(1, kMaxSubgroupSize);
    binBox_ = new QSpinBox;
    binBox_->setRange(0, kHistogramMaxBins);
    betweenBox_ = new QCheckBox;
    bankButton_ = new QPushButton;
    bankButton_->setEnabled(false);
    auto* lowerLabel = new QLabel;
    auto* upperLabel = new QLabel;
    auto* subgroupLabel = new QLabel;
    auto* binLabel = new QLabel;
    lowerLabel->setBuddy(lowerEdit_);
    upperLabel->setBuddy(upperEdit_);
    subgroupLabel->setBuddy(subgroupBox_);
    binLabel->setBuddy(binBox_);
    ApplyCapabilityRecord(ui_, "Capability_LblLsl", lowerLabel);
    ApplyCapabilityRecord(ui_, "Capability_LblUsl", upperLabel);
    ApplyCapabilityRecord(ui_, "Capability_LblSubgroup", subgroupLabel);
    ApplyCapabilityRecord(ui_, "Capability_LblBins", binLabel);
    ApplyCapabilityRecord(ui_, "Capability_ChkBetweenLines", betweenBox_);
    ApplyCapabilityRecord(ui_, "Capability_BtnBankLimits", bankButton_);
    lowerEdit_->setToolTip(lowerLabel->toolTip());
    upperEdit_->setToolTip(upperLabel->toolTip());

    auto* options = new QGridLayout;
    options->addWidget(lowerLabel, 0, 0);
    options->addWidget(lowerEdit_, 0, 1);
    options->addWidget(upperLabel, 0, 2);
    options->addWidget(upperEdit_, 0, 3);
    options->addWidget(bankButton_, 0, 4);
    options->addWidget(subgroupLabel, 1, 0);
    options->addWidget(subgroupBox_, 1, 1);
    options->addWidget(binLabel, 1, 2);
    options->addWidget(binBox_, 1, 3);
    options->addWidget(betweenBox_, 1, 4);
    return options;
}

void CCapabilityPanel::ConnectOptions() {
    connect(lowerEdit_, &QLineEdit::editingFinished, this, [this] { Recompute(); });
    connect(upperEdit_, &QLineEdit::editingFinished, this, [this] { Recompute(); });
    connect(subgroupBox_, &QSpinBox::valueChanged, this, [this] { Recompute(); });
    connect(binBox_, &QSpinBox::valueChanged, this, [this] { Recompute(); });
    connect(betweenBox_, &QCheckBox::toggled, this, [this](bool on) {
        range_.betweenOnly = on;
        Recompute();
    });
    connect(bankButton_, &QPushButton::clicked, this, [this] {
        if (store_ != nullptr) {
            LoadBankLimits(*store_);
        }
    });
}

CCapabilityPanel::~CCapabilityPanel() = default;

void CCapabilityPanel::ApplyTexts() {
    undefined_ = CapabilityText(ui_, "Capability_TxtUndefined");
    shareFormat_ = CapabilityText(ui_, "Capability_TxtShare");
    binBox_->setSpecialValueText(CapabilityText(ui_, "Capability_TxtBinsAuto"));
    const QStringList columns = CapabilityTexts(ui_, "Capability_GrdCols");
    grid_->Model().SetColumnTitles(
        {CapabilityTextAt(columns, 0), CapabilityTextAt(columns, 1 + result_.output)});
    const QStringList rows = CapabilityTexts(ui_, "Capability_GrdRows");
    for (int r = 0; r < kRows; ++r) {
        grid_->SetCellText(r, 0, CapabilityTextAt(rows, r));
    }
    grid_->resizeColumnToContents(0);
    const QStringList histogramAxes = CapabilityTexts(ui_, "Capability_LblHistogramAxes");
    histogram_->SetTexts(CapabilityTextAt(histogramAxes, 0), CapabilityTextAt(histogramAxes, 1),
                         CapabilityTexts(ui_, "Capability_TxtLimitMarks"));
    const QStringList chartAxes = CapabilityTexts(ui_, "Capability_LblChartAxes");
    chart_->SetTexts(CapabilityText(ui_, "Buffering_LblNumberAxis"), CapabilityTextAt(chartAxes, 0),
                     CapabilityTextAt(chartAxes, 1),
                     CapabilityTexts(ui_, "Capability_TxtChartLines"));
}

void CCapabilityPanel::SetValues(std::span<const double> values) {
    values_.assign(values.begin(), values.end());
    Recompute();
}

void CCapabilityPanel::ShowOutput(std::span<const double> values, const CapabilityRange& lines,
                                  const MicronMode& micron) {
    if (micron.active != micron_.active || micron.factor != micron_.factor) {
        // The limit edits show lengths as micron mode writes them: rewrite them in the new way.
        const SpecLimits limits = EditedLimits(nullptr);
        micron_ = micron;
        lowerEdit_->setText(LimitText(limits.lower));
        upperEdit_->setText(LimitText(limits.upper));
    }
    micron_ = micron;
    values_.assign(values.begin(), values.end());
    range_.measuringOn = lines.measuringOn;
    range_.left = lines.left;
    range_.right = lines.right;
    Recompute();
}

void CCapabilityPanel::SetMeasureLines(bool measuringOn, int32_t left, int32_t right) {
    const bool changed =
        range_.measuringOn != measuringOn || range_.left != left || range_.right != right;
    range_.measuringOn = measuringOn;
    range_.left = left;
    range_.right = right;
    if (changed && range_.betweenOnly) {
        Recompute();
    }
}

void CCapabilityPanel::SetBetweenLinesOnly(bool on) {
    betweenBox_->setChecked(on);  // recomputes through toggled when it changes
}

bool CCapabilityPanel::BetweenLinesOnly() const {
    return range_.betweenOnly;
}

void CCapabilityPanel::SetMicronMode(const MicronMode& micron) {
    const SpecLimits limits = EditedLimits(nullptr);
    micron_ = micron;
    SetLimits(limits);
}

QString CCapabilityPanel::LimitText(const Figure& limit) const {
    return limit ? StatisticText(*limit, micron_) : QString();
}

void CCapabilityPanel::SetLimits(const SpecLimits& limits) {
    lowerEdit_->setText(LimitText(limits.lower));
    upperEdit_->setText(LimitText(limits.upper));
    Recompute();
}

void CCapabilityPanel::LoadBankLimits(const SettingsStore& store) {
    store_ = &store;
    bankButton_->setEnabled(true);
    SetLimits(BankJudgementLimits(store, result_.output));
}

void CCapabilityPanel::SetSubgroupSize(int size) {
    subgroupBox_->setValue(size);
}

void CCapabilityPanel::SetBinCount(int bins) {
    binBox_->setValue(bins);
}

SpecLimits CCapabilityPanel::EditedLimits(QString* refusal) const {
    const double scale = micron_.active && micron_.factor > 0.0 ? micron_.factor : 1.0;
    SpecLimits limits;
    QString reason;
    auto read = [&](const QLineEdit* edit, Figure& limit) {
        QString text = edit->text().trimmed();
        if (text.isEmpty()) {
            return;
        }
        if (!text.contains('.')) {
            text.replace(',', '.');
        }
        bool ok = false;
        const double value = QLocale::c().toDouble(text, &ok);
        if (!ok || !std::isfinite(value)) {
            if (reason.isEmpty()) {
                reason = CapabilityText(ui_, "Capability_TxtLimitNotNumber").arg(edit->text());
            }
            return;
        }
        limit = value / scale;
    };
    read(lowerEdit_, limits.lower);
    read(upperEdit_, limits.upper);
    if (reason.isEmpty() && limits.lower && limits.upper && !(*limits.lower < *limits.upper)) {
        reason = CapabilityText(ui_, "Capability_TxtLimitOrder");
    }
    if (!reason.isEmpty()) {
        limits = {};
    }
    if (refusal != nullptr) {
        *refusal = reason;
    }
    return limits;
}

void CCapabilityPanel::Recompute() {
    QualityOptions options;
    options.limits = EditedLimits(&refusal_);
    options.subgroupSize = subgroupBox_->value();
    options.histogramBins = binBox_->value();
    SelectCapabilityValues(values_, range_, result_.sample);
    // The values are finite and the options checked above, so the analysis cannot refuse
    // them; were it to, the figures would show as undefined rather than stale.
    if (analyzer_.Analyze(result_.sample.values, options, result_.figures) != ZUL_OK) {
        result_.figures = QualityFigures{};
    }
    result_.options = options;
    ShowFigures();
    histogram_->Show(result_, micron_);
    chart_->Show(result_, micron_);
    emit figuresChanged();
}

void CCapabilityPanel::ShowFigures() {
    const QualityFigures& f = result_.figures;
    const Summary& s = f.summary;
    const Capability& c = f.capability;
    auto length = [this](const Figure& figure) {
        return LengthFigureText(figure, micron_, undefined_);
    };
    auto index = [this](const Figure& figure) { return IndexFigureText(figure, undefined_); };
    auto share = [this](const std::optional<LimitShare>& part) {
        return ShareText(part, shareFormat_, undefined_);
    };
    const QString cells[kRows] = {QString::number(s.count),
                                  length(s.mean),
                                  length(s.stddev),
                                  length(f.stddevWithin),
                                  length(s.min),
                                  length(s.max),
                                  length(s.range),
                                  length(s.median),
                                  length(s.p00135),
                                  length(s.p99865),
                                  length(f.limits.lower),
                                  length(f.limits.upper),
                                  index(c.cp),
                                  index(c.cpk),
                                  index(c.pp),
                                  index(c.ppk),
                                  index(c.cpu),
                                  index(c.cpl),
                                  index(c.ppu),
                                  index(c.ppl),
                                  share(f.shares.below),
                                  share(f.shares.inside),
                                  share(f.shares.above),
                                  length(f.imr.center),
                                  length(f.imr.ucl),
                                  length(f.imr.lcl),
                                  length(f.imr.mrBar),
                                  length(f.imr.mrUcl),
                                  QString::number(f.violations.size())};
    CGridModel& model = grid_->Model();
    model.BeginUpdate();
    for (int r = 0; r < kRows; ++r) {
        model.SetCellText(r, 1, cells[r]);
    }
    model.EndUpdate();

    const CapabilitySample& sample = result_.sample;
    QString status;
    if (!sample.rangeActive) {
        status = CapabilityText(ui_, "Capability_TxtNoRange");
    } else if (sample.first == 0) {
        status = CapabilityText(ui_, "Capability_TxtNoValues");
    } else {
        status = CapabilityText(ui_, "Capability_TxtValuesUsed")
                     .arg(sample.first)
                     .arg(sample.last)
                     .arg(qsizetype(sample.values.size()))
                     .arg(sample.invalid);
    }
    if (!refusal_.isEmpty()) {
        status += QStringLiteral("\n") + refusal_;
    }
    status_->setText(status);
}

QString CCapabilityPanel::RowTitle(int row) const {
    return grid_->Model().CellText(row, 0);
}

QString CCapabilityPanel::CellText(int row) const {
    return grid_->Model().CellText(row, 1);
}

QString CCapabilityPanel::StatusText() const {
    return status_->text();
}

QString CCapabilityPanel::ColumnTitle() const {
    return grid_->Model().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString();
}

int32_t CCapabilityPanel::SaveStatistics(const QString& path, ResultInfo* info) const {
    const CapabilityResult* results[] = {&result_};
    return SaveCapabilityStatistics(path, results, info);
}

}  // namespace zul::ui
