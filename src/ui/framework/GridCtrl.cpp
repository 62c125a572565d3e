// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/GridCtrl.h"

#include <QHeaderView>

namespace zul::ui {

CGridCtrl::CGridCtrl(QWidget* parent) : QTableView(parent), model_(new CGridModel(this)) {
    setModel(model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    // One fixed row height: the view never measures 65000 rows one by one.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setStretchLastSection(true);
}

void CGridCtrl::SetDataModel(QAbstractItemModel* model) {
    setModel(model != nullptr ? model : model_);
}

void CGridCtrl::ScrollToRow(int row) {
    if (model() == nullptr || row < 0 || row >= model()->rowCount()) {
        return;
    }
    scrollTo(model()->index(row, 0), QAbstractItemView::PositionAtBottom);
}

void CGridCtrl::SetRowHeadersVisible(bool visible) {
    verticalHeader()->setVisible(visible);
}

}  // namespace zul::ui
