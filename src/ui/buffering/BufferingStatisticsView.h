// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics page of the buffering window: the statistics of both outputs (the table of
// CBufferingInfoView) with the main process-capability figures of both beside them, as the
// capability pages show them with their limits (count, mean, spread, limits, Cp, Cpk, Pp, Ppk,
// rule violations). The capability rows follow the panels: ShowCapability after each of their
// updates.
#pragma once

#include <iterator>

#include <QWidget>

#include "ui/buffering/BufferingView.h"
#include "ui/buffering/CapabilityPanel.h"

namespace zul::ui {

class CBufferingInfoView;
class CGridCtrl;

class CBufferingStatisticsView : public QWidget, public BufferingView {
    Q_OBJECT
public:
    // The capability rows, in order.
    static constexpr CCapabilityPanel::Row kCapabilityRows[] = {
        CCapabilityPanel::kRowCount,     CCapabilityPanel::kRowMean,
        CCapabilityPanel::kRowStdDev,    CCapabilityPanel::kRowStdDevWithin,
        CCapabilityPanel::kRowLsl,       CCapabilityPanel::kRowUsl,
        CCapabilityPanel::kRowCp,        CCapabilityPanel::kRowCpk,
        CCapabilityPanel::kRowPp,        CCapabilityPanel::kRowPpk,
        CCapabilityPanel::kRowViolations};
    static constexpr int kCapabilityRowCount = int(std::size(kCapabilityRows));

    explicit CBufferingStatisticsView(QWidget* parent = nullptr);

    CBufferingInfoView& Statistics() const { return *info_; }
    // The figures of the panel's output, as the panel shows them.
    void ShowCapability(const CCapabilityPanel& panel);
    // The text of capability row k (0..kCapabilityRowCount-1) of an output (0/1).
    QString CapabilityCellText(int k, int output) const;

    QWidget* Widget() override { return this; }
    void ApplyTexts(const UiDefinition& ui) override;
    void ShowValues(const BufferingData& data, const MicronMode& micron) override;

private:
    CBufferingInfoView* info_;
    CGridCtrl* capability_;
};

}  // namespace zul::ui
