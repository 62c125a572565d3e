// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/Slider.h"

#include <algorithm>

namespace zul::ui {

CSlider::CSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setSingleStep(1);
    connect(this, &QSlider::valueChanged, this, &CSlider::positionChanged);
}

void CSlider::SetRange(int minimum, int maximum) {
    setRange(std::min(minimum, maximum), std::max(minimum, maximum));
    setPageStep(std::max(1, (this->maximum() - this->minimum()) / 10));
}

void CSlider::SetPosition(int position) {
    setValue(position);
}

}  // namespace zul::ui
