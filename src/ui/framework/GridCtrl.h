// SPDX-License-Identifier: GPL-3.0-or-later
// CGridCtrl: a read-only table on QTableView. By default it shows its own CGridModel (Model());
// a window with a data model of its own sets it with SetDataModel. Rows have one fixed height
// (so 65000 rows scroll without measuring each), selection is by row.
#pragma once

#include <QTableView>

#include "ui/framework/GridModel.h"

namespace zul::ui {

class CGridCtrl : public QTableView {
    Q_OBJECT
public:
    explicit CGridCtrl(QWidget* parent = nullptr);

    // The grid's own model (always exists, even while another model is shown).
    CGridModel& Model() { return *model_; }
    const CGridModel& Model() const { return *model_; }
    // Shows another model (not owned), or the own model again with null.
    void SetDataModel(QAbstractItemModel* model);

    // Shortcuts to the own model.
    void SetSize(int rows, int columns) { model_->SetSize(rows, columns); }
    void SetCellText(int row, int column, const QString& text) {
        model_->SetCellText(row, column, text);
    }

    // Scrolls so that the row is visible (the last row: ScrollToRow(rowCount - 1)).
    void ScrollToRow(int row);
    void SetRowHeadersVisible(bool visible);

private:
    CGridModel* model_;
};

}  // namespace zul::ui
