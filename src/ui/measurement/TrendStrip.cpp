// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/measurement/TrendStrip.h"

#include <algorithm>
#include <limits>

#include <QPainter>
#include <QPainterPath>

#include "buffering/BufferingStatistics.h"

namespace zul::ui {

CTrendStrip::CTrendStrip(QWidget* parent, size_t capacity)
    : QWidget(parent), values_(std::max<size_t>(capacity, 2), 0.0) {
    setMinimumHeight(32);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CTrendStrip::AddValue(double value) {
    values_[next_] = value;
    next_ = (next_ + 1) % values_.size();
    count_ = std::min(count_ + 1, values_.size());
    update();
}

void CTrendStrip::Clear() {
    next_ = 0;
    count_ = 0;
    update();
}

double CTrendStrip::ValueAt(size_t index) const {
    const size_t first = (next_ + values_.size() - count_) % values_.size();
    return values_[(first + index) % values_.size()];
}

QSize CTrendStrip::sizeHint() const {
    return {240, 48};
}

void CTrendStrip::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    for (size_t i = 0; i < count_; ++i) {
        const double v = ValueAt(i);
        if (IsValidBufferedValue(v)) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    if (low > high) {
        return;
    }
    if (high - low < 1e-6) {
        low -= 0.5e-6;
        high += 0.5e-6;
    }
    const QRectF area = QRectF(rect()).adjusted(2, 3, -2, -3);
    const double xStep = area.width() / double(values_.size() - 1);
    // The newest value sits at the right edge.
    const double xFirst = area.right() - xStep * double(count_ - 1);
    QPainterPath path;
    bool drawing = false;
    for (size_t i = 0; i < count_; ++i) {
        const double v = ValueAt(i);
        if (!IsValidBufferedValue(v)) {
            drawing = false;
            continue;
        }
        const QPointF point(xFirst + xStep * double(i),
                            area.bottom() - (v - low) / (high - low) * area.height());
        if (drawing) {
            path.lineTo(point);
        } else {
            path.moveTo(point);
            drawing = true;
        }
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1.2));
    painter.drawPath(path);
}

}  // namespace zul::ui
