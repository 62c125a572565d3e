// SPDX-License-Identifier: GPL-3.0-or-later
// The table of one output's buffered values: one row per value (number, value), read straight
// from BufferingData under its lock, so 65000 rows cost no more than the rows on screen.
// Invalid values have red text; in the sampling-trigger modes every second run of values has a
// green background. The column titles are the model's header.
#pragma once

#include <cstdint>

#include <QAbstractTableModel>
#include <QStringList>

#include "settings/MicronMode.h"

namespace zul {

struct BufferingData;

}  // namespace zul

namespace zul::ui {

class CBufferingTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static const QColor kInvalidText;
    static const QColor kRunBackground;

    CBufferingTableModel(const BufferingData& data, int output, QObject* parent = nullptr);

    void SetMicronMode(const MicronMode& micron) { micron_ = micron; }
    void SetColumnTitles(const QStringList& titles);
    // Takes the number of values, the mode and the run length from the block again.
    void Reload();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const BufferingData& data_;
    int output_;
    MicronMode micron_;
    QStringList titles_;
    int32_t rows_ = 0;
    bool grouped_ = false;
    int32_t runLength_ = 1;
};

}  // namespace zul::ui
