// SPDX-License-Identifier: GPL-3.0-or-later
// The process-capability panel of one buffered output: the figures of the core's analysis in a
// table (undefined figures shown with the undefined text, never as 0), the limits, the subgroup
// size and the bin count the user edits, the choice to use only the values between the
// horizontal measure lines, and the histogram and I-MR chart of the same figures.
//
// The limits are window options, not controller settings: they start from the judgement limits
// of the current memory bank (LoadBankLimits) and the user may change or empty them. Every edit,
// SetValues and SetMeasureLines recompute everything from the values held (a copy of the
// output's values, so the panel never reads the buffering block outside its lock).
//
// All texts come from the UI definition records "Capability_..." (and
// "Buffering_LblNumberAxis"); a missing record shows "no string data".
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include <QString>
#include <QStringList>
#include <QWidget>

#include "quality/ProcessStatistics.h"
#include "settings/MicronMode.h"
#include "ui/buffering/CapabilityFigures.h"

class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace zul {

class SettingsStore;
class UiDefinition;

}  // namespace zul

namespace zul::ui {

class CControlChartView;
class CGridCtrl;
class CHistogramView;

class CCapabilityPanel : public QWidget {
    Q_OBJECT
public:
    // The rows of the figures table.
    enum Row {
        kRowCount = 0,
        kRowMean,
        kRowStdDev,
        kRowStdDevWithin,
        kRowMin,
        kRowMax,
        kRowRange,
        kRowMedian,
        kRowP00135,
        kRowP99865,
        kRowLsl,
        kRowUsl,
        kRowCp,
        kRowCpk,
        kRowPp,
        kRowPpk,
        kRowCpu,
        kRowCpl,
        kRowPpu,
        kRowPpl,
        kRowBelow,
        kRowInside,
        kRowAbove,
        kRowCenter,
        kRowUcl,
        kRowLcl,
        kRowMrBar,
        kRowMrUcl,
        kRowViolations,
        kRows
    };
    static constexpr int kMaxSubgroupSize = 10000;

    // output: 0 OUT1, 1 OUT2. The UI definition must outlive the panel.
    CCapabilityPanel(const UiDefinition& ui, int output, QWidget* parent = nullptr);
    ~CCapabilityPanel() override;

    int Output() const { return result_.output; }

    // Titles and texts from the UI definition.
    void ApplyTexts();
    // The output's values (value number i + 1 at values[i]), copied; recomputes.
    void SetValues(std::span<const double> values);
    // Values, horizontal measure lines (lines.betweenOnly is not taken: it stays the user's
    // choice) and micron mode at once, computed once: what a window shows after a read, a
    // load or a move of a measure line.
    void ShowOutput(std::span<const double> values, const CapabilityRange& lines,
                    const MicronMode& micron);
    // The horizontal measure lines of the output (HorizontalMeasureDisp, ...Left, ...Right);
    // recomputes when the figures use only the values between them.
    void SetMeasureLines(bool measuringOn, int32_t left, int32_t right);
    void SetBetweenLinesOnly(bool on);
    bool BetweenLinesOnly() const;
    // Lengths (figures, limit edits, views) as micron mode shows them; recomputes the texts.
    void SetMicronMode(const MicronMode& micron);

    // The limits (in millimetres; missing ones leave the edit empty); recomputes.
    void SetLimits(const SpecLimits& limits);
    // The judgement limits of the store's current memory bank (none when they are not in
    // order); the store is kept for the bank-limits button. Recomputes.
    void LoadBankLimits(const SettingsStore& store);
    void SetSubgroupSize(int size);
    // 0: as many bins as the data give.
    void SetBinCount(int bins);

    // What the panel shows.
    const CapabilityResult& Result() const { return result_; }
    QString RowTitle(int row) const;
    QString CellText(int row) const;
    QString StatusText() const;
    QString ColumnTitle() const;

    QLineEdit* LowerLimitEdit() const { return lowerEdit_; }
    QLineEdit* UpperLimitEdit() const { return upperEdit_; }
    QSpinBox* SubgroupBox() const { return subgroupBox_; }
    QSpinBox* BinBox() const { return binBox_; }
    QCheckBox* BetweenLinesBox() const { return betweenBox_; }
    QPushButton* BankLimitsButton() const { return bankButton_; }
    CHistogramView& Histogram() const { return *histogram_; }
    CControlChartView& ControlChart() const { return *chart_; }

    // Saves the figures of this panel (CSV, or JSON for a ".json" path); see
    // SaveCapabilityStatistics.
    int32_t SaveStatistics(const QString& path, ResultInfo* info) const;

signals:
    // The figures were computed again.
    void figuresChanged();

private:
    QGridLayout* BuildOptions();
    void ConnectOptions();
    // Reads the limits from the edits; a refusal leaves them out and names the reason.
    SpecLimits EditedLimits(QString* refusal) const;
    void Recompute();
    void ShowFigures();
    QString LimitText(const Figure& limit) const;

    const UiDefinition& ui_;
    const SettingsStore* store_ = nullptr;
    MicronMode micron_;
    std::vector<double> values_;
    CapabilityRange range_;
    CapabilityResult result_;
    QualityAnalyzer analyzer_;
    QString refusal_;

    QString undefined_;
    QString shareFormat_;
    CGridCtrl* grid_ = nullptr;
    QLabel* status_ = nullptr;
    QLineEdit* lowerEdit_ = nullptr;
    QLineEdit* upperEdit_ = nullptr;
    QSpinBox* subgroupBox_ = nullptr;
    QSpinBox* binBox_ = nullptr;
    QCheckBox* betweenBox_ = nullptr;
    QPushButton* bankButton_ = nullptr;
    CHistogramView* histogram_ = nullptr;
    CControlChartView* chart_ = nullptr;
};

// The text of a named UI definition record (caption unquoted), or "no string data"; and the
// entries of its comma list.
QString CapabilityText(const UiDefinition& ui, const char* name);
QStringList CapabilityTexts(const UiDefinition& ui, const char* name);
// Entry k of such a list, or "no string data" when the list is shorter.
QString CapabilityTextAt(const QStringList& list, int k);
// Applies the named record (caption, tooltip, visibility, enabling) to a control; without the
// record the control reads "no string data".
void ApplyCapabilityRecord(const UiDefinition& ui, const char* name, QObject* target);

}  // namespace zul::ui
