// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/MeasureLineDragger.h"

#include <cmath>

#include <QMouseEvent>
#include <QWidget>

#include "ui/framework/TChart.h"

namespace zul::ui {

CMeasureLineDragger::CMeasureLineDragger(CTChart& chart, Moved moved)
    : QObject(&chart), chart_(chart), moved_(std::move(moved)) {
    // The plot is a child widget of the chart: its mouse events are watched.
    chart_.installEventFilter(this);
    for (QWidget* child : chart_.findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }
}

void CMeasureLineDragger::AddLine(int line, Qt::Orientation orientation) {
    lines_.push_back({line, orientation});
}

QPointF CMeasureLineDragger::ToPlot(const QPointF& pos) const {
    // The axes are linear: two reference points give the mapping back.
    const double x0 = chart_.XLower();
    const double x1 = chart_.XUpper();
    const double y0 = chart_.YLower();
    const double y1 = chart_.YUpper();
    const QPointF p0 = chart_.PointToPixel(x0, y0);
    const QPointF p1 = chart_.PointToPixel(x1, y1);
    const double dx = p1.x() - p0.x();
    const double dy = p1.y() - p0.y();
    const double x = std::fabs(dx) > 1e-9 ? x0 + (pos.x() - p0.x()) / dx * (x1 - x0) : x0;
    const double y = std::fabs(dy) > 1e-9 ? y0 + (pos.y() - p0.y()) / dy * (y1 - y0) : y0;
    return {x, y};
}

int CMeasureLineDragger::LineAt(const QPointF& pos) const {
    int best = -1;
    double bestDistance = kGrabPixels;
    for (const Line& l : lines_) {
        if (!chart_.IsMeasureLineVisible(l.line)) {
            continue;
        }
        const double at = chart_.MeasureLinePosition(l.line);
        const QPointF pixel = l.orientation == Qt::Vertical
                                  ? chart_.PointToPixel(at, chart_.YLower())
                                  : chart_.PointToPixel(chart_.XLower(), at);
        const double distance = l.orientation == Qt::Vertical ? std::fabs(pixel.x() - pos.x())
                                                              : std::fabs(pixel.y() - pos.y());
        if (distance <= bestDistance) {
            bestDistance = distance;
            best = l.line;
        }
    }
    return best;
}

bool CMeasureLineDragger::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonDblClick && dragged_ < 0) {
        chart_.ResetView();  // back to the whole value and number range
        return true;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease) {
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (widget == nullptr) {
        return false;
    }
    const QPointF pos =
        widget == &chart_ ? mouse->position() : QPointF(widget->mapTo(&chart_, mouse->position()));
    if (type == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
        dragged_ = LineAt(pos);
        if (dragged_ < 0) {
            return false;
        }
        for (const Line& l : lines_) {
            if (l.line == dragged_) {
                draggedOrientation_ = l.orientation;
            }
        }
        chart_.SetZoomPanEnabled(false);
        return true;
    }
    if (dragged_ < 0) {
        return false;
    }
    const QPointF plot = ToPlot(pos);
    moved_(dragged_, draggedOrientation_ == Qt::Vertical ? plot.x() : plot.y());
    if (type == QEvent::MouseButtonRelease) {
        dragged_ = -1;
        chart_.SetZoomPanEnabled(true);
    }
    return true;
}

}  // namespace zul::ui
