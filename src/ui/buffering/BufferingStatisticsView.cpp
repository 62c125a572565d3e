// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/BufferingStatisticsView.h"

#include <QHBoxLayout>
#include <QHeaderView>

#include "ui/buffering/BufferingInfoView.h"
#include "ui/framework/GridCtrl.h"

namespace zul::ui {

CBufferingStatisticsView::CBufferingStatisticsView(QWidget* parent)
    : QWidget(parent), info_(new CBufferingInfoView), capability_(new CGridCtrl) {
    capability_->SetSize(kCapabilityRowCount, 3);
    capability_->SetRowHeadersVisible(false);
    // Every row and column in view: the titles as wide as they are, the outputs share the rest.
    capability_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    capability_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QHeaderView* header = capability_->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->setSectionResizeMode(2, QHeaderView::Stretch);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(info_, 1);
    layout->addWidget(capability_, 1, Qt::AlignTop);
}

void CBufferingStatisticsView::ApplyTexts(const UiDefinition& ui) {
    info_->ApplyTitles(ui);
    const QStringList columns = CapabilityTexts(ui, "Capability_GrdCols");
    QStringList titles;
    for (int c = 0; c < 3; ++c) {
        titles << CapabilityTextAt(columns, c);
    }
    capability_->Model().SetColumnTitles(titles);
    const QStringList rows = CapabilityTexts(ui, "Capability_GrdRows");
    for (int k = 0; k < kCapabilityRowCount; ++k) {
        const int row = kCapabilityRows[k];
        capability_->SetCellText(k, 0, CapabilityTextAt(rows, row));
    }
    // As tall as its rows: the table stands beside the statistics, not stretched below them.
    const int height = kCapabilityRowCount * capability_->verticalHeader()->defaultSectionSize() +
                       capability_->horizontalHeader()->sizeHint().height() +
                       2 * capability_->frameWidth();
    capability_->setFixedHeight(height);
}

void CBufferingStatisticsView::ShowValues(const BufferingData& data, const MicronMode& micron) {
    info_->ShowValues(data, micron);
}

void CBufferingStatisticsView::ShowCapability(const CCapabilityPanel& panel) {
    CGridModel& model = capability_->Model();
    model.BeginUpdate();
    for (int k = 0; k < kCapabilityRowCount; ++k) {
        model.SetCellText(k, 1 + panel.Output(), panel.CellText(kCapabilityRows[k]));
    }
    model.EndUpdate();
}

QString CBufferingStatisticsView::CapabilityCellText(int k, int output) const {
    return capability_->Model().CellText(k, 1 + output);
}

}  // namespace zul::ui
