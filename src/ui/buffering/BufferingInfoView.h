// SPDX-License-Identifier: GPL-3.0-or-later
// The statistics of both outputs as a table: one row per quantity, one column per output.
// Shown on the buffering window's statistics page (as a BufferingView) and in the information
// form.
#pragma once

#include <array>

#include <QWidget>

#include "buffering/BufferingData.h"
#include "settings/MicronMode.h"
#include "ui/buffering/BufferingView.h"

namespace zul {

class UiDefinition;

}  // namespace zul

namespace zul::ui {

class CGridCtrl;

class CBufferingInfoView : public QWidget, public BufferingView {
    Q_OBJECT
public:
    static constexpr int kRowCount = 21;

    explicit CBufferingInfoView(QWidget* parent = nullptr);

    // Titles from the UI definition (row and column title records).
    void ApplyTitles(const UiDefinition& ui);
    void Show(const std::array<OutputStatistics, 2>& statistics, const MicronMode& micron);
    // The text of a cell (row 0..kRowCount-1, output 0/1).
    QString CellText(int row, int output) const;
    // Tall enough for the title row and every quantity without scrolling.
    QSize sizeHint() const override;

    // As the statistics page of the window.
    QWidget* Widget() override { return this; }
    void ApplyTexts(const UiDefinition& ui) override { ApplyTitles(ui); }
    void ShowValues(const BufferingData& data, const MicronMode& micron) override;

private:
    CGridCtrl* grid_;
};

}  // namespace zul::ui
