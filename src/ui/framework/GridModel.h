// SPDX-License-Identifier: GPL-3.0-or-later
// The table model behind CGridCtrl and CMSFlexGrid for tables a window fills itself: texts,
// text colours and background colours per cell, column and row header texts. Cells live in
// flat arrays (no object per cell).
//
// Virtual mode (SetVirtual) stores nothing: the view asks functions for the cells it shows, so a
// table of 65000 rows over data the window already holds is "filled" at once. Windows with a
// model of their own may also give the grid that model (CGridCtrl::SetDataModel).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <QStringList>

namespace zul::ui {

// The cells of virtual mode; an empty function gives empty texts / no colours.
struct GridVirtualCells {
    std::function<QString(int row, int column)> text;
    std::function<QColor(int row, int column)> textColor;   // invalid: none
    std::function<QColor(int row, int column)> background;  // invalid: none
};

class CGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit CGridModel(QObject* parent = nullptr);

    // Switches to virtual mode with that size (stored cells are dropped); SetSize returns to
    // stored cells. The functions are called on the GUI thread while the cells are shown; after
    // the data behind them changed, call RefreshVirtual.
    void SetVirtual(int rows, int columns, GridVirtualCells cells);
    void RefreshVirtual();
    bool IsVirtual() const { return virtual_; }

    // Size. Growing keeps the cells there are; new cells are empty without colours.
    void SetSize(int rows, int columns);

    // Many changes at once: views are told once, at EndUpdate (nesting allowed).
    void BeginUpdate();
    void EndUpdate();

    void SetCellText(int row, int column, const QString& text);
    QString CellText(int row, int column) const;
    // An invalid colour removes the cell's own colour.
    void SetCellTextColor(int row, int column, const QColor& color);
    void SetCellBackground(int row, int column, const QColor& color);
    QColor CellTextColor(int row, int column) const;
    QColor CellBackground(int row, int column) const;
    // A whole row at once (texts from column 0; missing columns are cleared).
    void SetRowTexts(int row, const QStringList& texts);
    // Empties every cell and colour (size kept).
    void ClearCells();

    void SetColumnTitles(const QStringList& titles);
    void SetRowTitles(const QStringList& titles);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    bool Inside(int row, int column) const;
    bool Stored(int row, int column) const;
    size_t At(int row, int column) const { return size_t(row) * size_t(columns_) + size_t(column); }
    void Changed(int row, int column, const QList<int>& roles);

    int rows_ = 0;
    int columns_ = 0;
    std::vector<QString> texts_;
    std::vector<QRgb> foreground_;  // alpha 0: no colour of its own
    std::vector<QRgb> background_;
    QStringList columnTitles_;
    QStringList rowTitles_;
    int updateDepth_ = 0;
    bool virtual_ = false;
    GridVirtualCells cells_;
};

}  // namespace zul::ui
