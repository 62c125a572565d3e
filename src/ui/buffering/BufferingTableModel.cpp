// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/BufferingTableModel.h"

#include <algorithm>
#include <mutex>

#include <QColor>

#include "buffering/BufferingData.h"
#include "buffering/BufferingStatistics.h"
#include "ui/buffering/BufferingFormat.h"

namespace zul::ui {

const QColor CBufferingTableModel::kInvalidText = QColor(Qt::red);
const QColor CBufferingTableModel::kRunBackground = QColor(0xC0, 0xF0, 0xC0);

CBufferingTableModel::CBufferingTableModel(const BufferingData& data, int output, QObject* parent)
    : QAbstractTableModel(parent), data_(data), output_(output) {}

void CBufferingTableModel::SetColumnTitles(const QStringList& titles) {
    titles_ = titles;
    emit headerDataChanged(Qt::Horizontal, 0, 1);
}

void CBufferingTableModel::Reload() {
    beginResetModel();
    {
        std::lock_guard lock(data_.mutex);
        rows_ = data_.HeldCount(output_);
        grouped_ = GroupsBySamplingTrigger(data_.header[kSlotBufferMode]);
        runLength_ = std::max(1, data_.header[kSlotSampleTriggerStoreNum]);
    }
    endResetModel();
}

int CBufferingTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int CBufferingTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant CBufferingTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) {
        return {};
    }
    const int32_t number = index.row() + 1;
    if (index.column() == 0) {
        return role == Qt::DisplayRole ? QVariant(QString::number(number)) : QVariant();
    }
    if (role != Qt::DisplayRole && role != Qt::ForegroundRole && role != Qt::BackgroundRole &&
        role != Qt::TextAlignmentRole) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return int(Qt::AlignRight | Qt::AlignVCenter);
    }
    double value = 0.0;
    {
        std::lock_guard lock(data_.mutex);
        value = data_.outputs[size_t(output_)].values[size_t(index.row())];
    }
    const bool valid = IsValidBufferedValue(value);
    switch (role) {
        case Qt::DisplayRole:
            return TableValueText(value, micron_);
        case Qt::ForegroundRole:
            return valid ? QVariant() : QVariant(kInvalidText);
        default:  // background
            return valid && grouped_ && InGreenRun(number, runLength_) ? QVariant(kRunBackground)
                                                                       : QVariant();
    }
}

QVariant CBufferingTableModel::headerData(int section, Qt::Orientation orientation,
                                          int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (orientation == Qt::Horizontal) {
        return section < titles_.size() ? titles_[section] : QString();
    }
    return section + 1;
}

}  // namespace zul::ui
