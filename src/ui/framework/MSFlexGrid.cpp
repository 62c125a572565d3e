// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/MSFlexGrid.h"

#include <QPalette>

namespace zul::ui {

CMSFlexGrid::CMSFlexGrid(QWidget* parent) : CGridCtrl(parent) {
    SetRowHeadersVisible(false);
}

void CMSFlexGrid::SetRows(int rows) {
    Model().SetSize(rows, Model().columnCount());
    PaintFixed();
}

void CMSFlexGrid::SetCols(int columns) {
    Model().SetSize(Model().rowCount(), columns);
    PaintFixed();
}

int CMSFlexGrid::Rows() const {
    return Model().rowCount();
}

int CMSFlexGrid::Cols() const {
    return Model().columnCount();
}

void CMSFlexGrid::SetTextMatrix(int row, int column, const QString& text) {
    Model().SetCellText(row, column, text);
}

QString CMSFlexGrid::TextMatrix(int row, int column) const {
    return Model().CellText(row, column);
}

void CMSFlexGrid::SetFixedRows(int rows) {
    fixedRows_ = rows;
    PaintFixed();
}

void CMSFlexGrid::SetFixedCols(int columns) {
    fixedCols_ = columns;
    PaintFixed();
}

void CMSFlexGrid::PaintFixed() {
    const QColor fixed = palette().color(QPalette::Button);
    CGridModel& model = Model();
    model.BeginUpdate();
    for (int r = 0; r < model.rowCount(); ++r) {
        for (int c = 0; c < model.columnCount(); ++c) {
            const bool isFixed = r < fixedRows_ || c < fixedCols_;
            model.SetCellBackground(r, c, isFixed ? fixed : QColor());
        }
    }
    model.EndUpdate();
}

}  // namespace zul::ui
