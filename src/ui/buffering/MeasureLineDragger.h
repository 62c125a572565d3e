// SPDX-License-Identifier: GPL-3.0-or-later
// Dragging the measure lines of a CTChart with the mouse: a press within a few pixels of a
// visible line takes it (the chart's own pan is off meanwhile), each move reports the line's
// new position in plot coordinates, the release lets it go. A double click elsewhere resets the
// chart's view (after wheel zoom or pan).
#pragma once

#include <functional>
#include <vector>

#include <QObject>
#include <QPointF>

namespace zul::ui {

class CTChart;

class CMeasureLineDragger : public QObject {
    Q_OBJECT
public:
    // Called with the line number (as AddMeasureLine returned it) and its new position.
    using Moved = std::function<void(int line, double position)>;
    static constexpr double kGrabPixels = 5.0;

    CMeasureLineDragger(CTChart& chart, Moved moved);

    // A line that may be dragged; vertical lines sit at an x position, horizontal at a y.
    void AddLine(int line, Qt::Orientation orientation);
    // The line a press at pos (chart coordinates) would take; -1 for none.
    int LineAt(const QPointF& pos) const;
    bool IsDragging() const { return dragged_ >= 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Line {
        int line;
        Qt::Orientation orientation;
    };
    // Plot coordinates of a point given in chart coordinates.
    QPointF ToPlot(const QPointF& pos) const;

    CTChart& chart_;
    Moved moved_;
    std::vector<Line> lines_;
    int dragged_ = -1;
    Qt::Orientation draggedOrientation_ = Qt::Vertical;
};

}  // namespace zul::ui
