// The table model behind CGridCtrl and CMSFlexGrid for tables a window fills itself: texts,
// text colours and background colours per cell, column and row header texts. Cells live in
// flat arrays (no object per cell), so 65000 rows are cheap. Windows with data of their own
// (the buffering table) may instead give the grid a model of their own.
#pragma once

#include <cstdint>
#include <vector>

#include <QAbstractTableModel>
#include <QColor>
#include <QString>
#include <QStringList>

namespace zul {

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

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
    bool resetPending_ = false;
};

}  // namespace zul
