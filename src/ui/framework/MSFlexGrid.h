// SPDX-License-Identifier: GPL-3.0-or-later
// CMSFlexGrid: the flex grid, i.e. CGridCtrl with the flex grid's names for its size and
// cell texts: Rows/Cols and TextMatrix. The first FixedRows rows and FixedCols columns are
// shown in the header colour.
#pragma once

#include "ui/framework/GridCtrl.h"

namespace zul::ui {

class CMSFlexGrid : public CGridCtrl {
    Q_OBJECT
public:
    explicit CMSFlexGrid(QWidget* parent = nullptr);

    void SetRows(int rows);
    void SetCols(int columns);
    int Rows() const;
    int Cols() const;
    void SetTextMatrix(int row, int column, const QString& text);
    QString TextMatrix(int row, int column) const;
    void SetFixedRows(int rows);
    void SetFixedCols(int columns);

private:
    void PaintFixed();
    int fixedRows_ = 0;
    int fixedCols_ = 0;
};

}  // namespace zul::ui
