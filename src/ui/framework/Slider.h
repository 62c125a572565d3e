// SPDX-License-Identifier: GPL-3.0-or-later
// CSlider: the horizontal slider that steps through a range (the light-wave history). Arrow
// keys and page keys step by one and by a tenth of the range; positionChanged is emitted for
// every change of the value, by the user or by SetPosition.
#pragma once

#include <QSlider>

namespace zul::ui {

class CSlider : public QSlider {
    Q_OBJECT
public:
    explicit CSlider(QWidget* parent = nullptr);

    // Range (inclusive); the position is kept inside it.
    void SetRange(int minimum, int maximum);
    void SetPosition(int position);
    int Position() const { return value(); }

signals:
    void positionChanged(int position);
};

}  // namespace zul::ui
