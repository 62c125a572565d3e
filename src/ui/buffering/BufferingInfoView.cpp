// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/BufferingInfoView.h"

#include <mutex>

#include <QHeaderView>
#include <QVBoxLayout>

#include "settings/UiDefinition.h"
#include "ui/buffering/BufferingFormat.h"
#include "ui/buffering/BufferingTexts.h"
#include "ui/framework/GridCtrl.h"
#include "ui/framework/QtText.h"

namespace zul::ui {

CBufferingInfoView::CBufferingInfoView(QWidget* parent) : QWidget(parent), grid_(new CGridCtrl) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(grid_);
    grid_->SetSize(kRowCount, 3);
    grid_->SetRowHeadersVisible(false);
    grid_->horizontalHeader()->setStretchLastSection(true);
}

void CBufferingInfoView::ApplyTitles(const UiDefinition& ui) {
    grid_->Model().SetColumnTitles(RecordCaptions(ui, "Buffering_GrdInfoCols"));
    const QStringList rows = RecordCaptions(ui, "Buffering_GrdInfoRows");
    for (int r = 0; r < kRowCount; ++r) {
        grid_->SetCellText(r, 0, r < rows.size() ? rows[r] : QString());
    }
    grid_->resizeColumnToContents(0);
}

void CBufferingInfoView::Show(const std::array<OutputStatistics, 2>& statistics,
                              const MicronMode& micron) {
    CGridModel& model = grid_->Model();
    model.BeginUpdate();
    for (int o = 0; o < 2; ++o) {
        const OutputStatistics& s = statistics[size_t(o)];
        const QStringList cells = {StatisticText(s.allDataTop, micron),
                                   StatisticText(s.allDataBottom, micron),
                                   StatisticText(s.allDataAve, micron),
                                   StatisticText(s.allDataMid, micron),
                                   StatisticText(s.verticalTop, micron),
                                   StatisticText(s.verticalBottom, micron),
                                   StatisticText(s.verticalRange, micron),
                                   QString::number(s.horizontalLeft),
                                   QString::number(s.horizontalRight),
                                   QString::number(s.horizontalRange),
                                   StatisticText(s.betweenDataTop, micron),
                                   StatisticText(s.betweenDataBottom, micron),
                                   StatisticText(s.betweenDataAve, micron),
                                   StatisticText(s.betweenDataMid, micron),
                                   QString::number(s.betweenActive),
                                   QString::number(s.judgement[kUpperLimit1]),
                                   QString::number(s.judgement[kUpperLimit2]),
                                   QString::number(s.judgement[kLowerLimit1]),
                                   QString::number(s.judgement[kLowerLimit2]),
                                   QString::number(s.triggerCount),
                                   QString::number(s.modeGrouping)};
        for (int r = 0; r < kRowCount; ++r) {
            model.SetCellText(r, o + 1, cells[r]);
        }
    }
    model.EndUpdate();
}

void CBufferingInfoView::ShowValues(const BufferingData& data, const MicronMode& micron) {
    std::array<OutputStatistics, 2> statistics;
    {
        std::lock_guard lock(data.mutex);
        statistics = {data.outputs[0].statistics, data.outputs[1].statistics};
    }
    Show(statistics, micron);
}

QSize CBufferingInfoView::sizeHint() const {
    const int rows = kRowCount * grid_->verticalHeader()->defaultSectionSize();
    const int titles = grid_->horizontalHeader()->sizeHint().height();
    return {QWidget::sizeHint().width(), rows + titles + 2 * grid_->frameWidth()};
}

QString CBufferingInfoView::CellText(int row, int output) const {
    return grid_->Model().CellText(row, output + 1);
}

}  // namespace zul::ui
