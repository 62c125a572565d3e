// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/GridModel.h"

#include <algorithm>

namespace zul::ui {

CGridModel::CGridModel(QObject* parent) : QAbstractTableModel(parent) {}

bool CGridModel::Inside(int row, int column) const {
    return row >= 0 && column >= 0 && row < rows_ && column < columns_;
}

bool CGridModel::Stored(int row, int column) const {
    return !virtual_ && Inside(row, column);
}

void CGridModel::SetVirtual(int rows, int columns, GridVirtualCells cells) {
    BeginUpdate();
    virtual_ = true;
    cells_ = std::move(cells);
    rows_ = std::max(rows, 0);
    columns_ = std::max(columns, 0);
    texts_.clear();
    foreground_.clear();
    background_.clear();
    EndUpdate();
}

void CGridModel::RefreshVirtual() {
    if (virtual_ && rows_ > 0 && columns_ > 0 && updateDepth_ == 0) {
        emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
    }
}

void CGridModel::SetSize(int rows, int columns) {
    rows = std::max(rows, 0);
    columns = std::max(columns, 0);
    if (virtual_) {
        BeginUpdate();
        virtual_ = false;
        cells_ = {};
        rows_ = 0;
        columns_ = 0;
        EndUpdate();
    }
    if (rows == rows_ && columns == columns_) {
        return;
    }
    const size_t count = size_t(rows) * size_t(columns);
    std::vector<QString> texts(count);
    std::vector<QRgb> foreground(count, 0);
    std::vector<QRgb> background(count, 0);
    const int keepRows = std::min(rows, rows_);
    const int keepColumns = std::min(columns, columns_);
    for (int r = 0; r < keepRows; ++r) {
        for (int c = 0; c < keepColumns; ++c) {
            const size_t from = At(r, c);
            const size_t to = size_t(r) * size_t(columns) + size_t(c);
            texts[to] = std::move(texts_[from]);
            foreground[to] = foreground_[from];
            background[to] = background_[from];
        }
    }
    BeginUpdate();
    rows_ = rows;
    columns_ = columns;
    texts_ = std::move(texts);
    foreground_ = std::move(foreground);
    background_ = std::move(background);
    EndUpdate();
}

void CGridModel::BeginUpdate() {
    if (updateDepth_++ == 0) {
        beginResetModel();
    }
}

void CGridModel::EndUpdate() {
    if (updateDepth_ == 0) {
        return;
    }
    if (--updateDepth_ == 0) {
        endResetModel();
    }
}

void CGridModel::Changed(int row, int column, const QList<int>& roles) {
    if (updateDepth_ == 0) {
        const QModelIndex cell = index(row, column);
        emit dataChanged(cell, cell, roles);
    }
}

void CGridModel::SetCellText(int row, int column, const QString& text) {
    if (!Stored(row, column)) {
        return;
    }
    texts_[At(row, column)] = text;
    Changed(row, column, {Qt::DisplayRole});
}

QString CGridModel::CellText(int row, int column) const {
    if (virtual_) {
        return Inside(row, column) && cells_.text ? cells_.text(row, column) : QString();
    }
    return Inside(row, column) ? texts_[At(row, column)] : QString();
}

void CGridModel::SetCellTextColor(int row, int column, const QColor& color) {
    if (!Stored(row, column)) {
        return;
    }
    foreground_[At(row, column)] = color.isValid() ? (color.rgb() | 0xFF000000u) : 0u;
    Changed(row, column, {Qt::ForegroundRole});
}

void CGridModel::SetCellBackground(int row, int column, const QColor& color) {
    if (!Stored(row, column)) {
        return;
    }
    background_[At(row, column)] = color.isValid() ? (color.rgb() | 0xFF000000u) : 0u;
    Changed(row, column, {Qt::BackgroundRole});
}

QColor CGridModel::CellTextColor(int row, int column) const {
    if (virtual_) {
        return Inside(row, column) && cells_.textColor ? cells_.textColor(row, column) : QColor();
    }
    const QRgb rgb = Inside(row, column) ? foreground_[At(row, column)] : 0u;
    return qAlpha(rgb) != 0 ? QColor::fromRgb(rgb) : QColor();
}

QColor CGridModel::CellBackground(int row, int column) const {
    if (virtual_) {
        return Inside(row, column) && cells_.background ? cells_.background(row, column) : QColor();
    }
    const QRgb rgb = Inside(row, column) ? background_[At(row, column)] : 0u;
    return qAlpha(rgb) != 0 ? QColor::fromRgb(rgb) : QColor();
}

void CGridModel::SetRowTexts(int row, const QStringList& texts) {
    if (virtual_ || row < 0 || row >= rows_) {
        return;
    }
    for (int c = 0; c < columns_; ++c) {
        texts_[At(row, c)] = c < texts.size() ? texts[c] : QString();
    }
    if (updateDepth_ == 0 && columns_ > 0) {
        emit dataChanged(index(row, 0), index(row, columns_ - 1), {Qt::DisplayRole});
    }
}

void CGridModel::ClearCells() {
    BeginUpdate();
    std::fill(texts_.begin(), texts_.end(), QString());
    std::fill(foreground_.begin(), foreground_.end(), 0u);
    std::fill(background_.begin(), background_.end(), 0u);
    EndUpdate();
}

void CGridModel::SetColumnTitles(const QStringList& titles) {
    columnTitles_ = titles;
    if (columns_ > 0) {
        emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
    }
}

void CGridModel::SetRowTitles(const QStringList& titles) {
    rowTitles_ = titles;
    if (rows_ > 0) {
        emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
    }
}

int CGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int CGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant CGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !Inside(index.row(), index.column())) {
        return {};
    }
    if (virtual_) {
        QColor color;
        switch (role) {
            case Qt::DisplayRole:
                return CellText(index.row(), index.column());
            case Qt::ForegroundRole:
                color = CellTextColor(index.row(), index.column());
                return color.isValid() ? QVariant(color) : QVariant();
            case Qt::BackgroundRole:
                color = CellBackground(index.row(), index.column());
                return color.isValid() ? QVariant(color) : QVariant();
            default:
                return {};
        }
    }
    const size_t at = At(index.row(), index.column());
    switch (role) {
        case Qt::DisplayRole:
            return texts_[at];
        case Qt::ForegroundRole:
            return qAlpha(foreground_[at]) != 0 ? QVariant(QColor::fromRgb(foreground_[at]))
                                                : QVariant();
        case Qt::BackgroundRole:
            return qAlpha(background_[at]) != 0 ? QVariant(QColor::fromRgb(background_[at]))
                                                : QVariant();
        default:
            return {};
    }
}

QVariant CGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    const QStringList& titles = orientation == Qt::Horizontal ? columnTitles_ : rowTitles_;
    if (section >= 0 && section < titles.size()) {
        return titles[section];
    }
    return orientation == Qt::Vertical ? QVariant(section + 1) : QVariant();
}

}  // namespace zul::ui
