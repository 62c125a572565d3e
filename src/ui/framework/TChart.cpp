// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/TChart.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QMouseEvent>
#include <QPrinter>
#include <QVBoxLayout>

#include "ui/framework/QCustomPlot.h"

namespace zul::ui {

namespace {

// A click selects a point at most this many pixels away; a press that moves further is a drag.
constexpr double kPickDistance = 8.0;
constexpr int kClickSlack = 3;
constexpr int kSmoothPointLimit = 500;

QVector<double> ToVector(const std::vector<double>& values) {
    return QVector<double>(values.begin(), values.end());
}

}  // namespace

class CTChart::Impl {
public:
    struct Line {
        QCPItemStraightLine* item;
        Qt::Orientation orientation;
        double position;
    };

    QCustomPlot* plot = nullptr;
    std::vector<QCPGraph*> series;
    std::vector<Line> lines;
    QCPGraph* marker = nullptr;  // the selected point, not a series
    int selectedSeries = -1;
    int selectedIndex = -1;
    QCPRange homeX{0.0, 1.0};
    QCPRange homeY{0.0, 1.0};
    // Fitting: the values that count, and whether every change refits the view.
    bool fitLimited = false;
    double fitLower = 0.0;
    double fitUpper = 0.0;
    bool alwaysFit = false;
    QPoint pressAt;
    bool pressed = false;
    // The live layer and what is waiting to be drawn: a full replot, or the live layer only.
    QCPLayer* live = nullptr;
    bool fullPending = false;
    bool livePending = false;

    QCPGraph* Series(int index) const {
        return index >= 0 && index < int(series.size()) ? series[size_t(index)] : nullptr;
    }

    // Smooth lines for short series; a long series is drawn without antialiasing, which at a
    // few points per pixel column looks the same and draws several times faster.
    static void UpdateAntialiasing(QCPGraph* graph) {
        graph->setAntialiased(graph->data()->size() <= kSmoothPointLimit);
    }

    void PlaceLine(Line& line) const {
        if (line.orientation == Qt::Vertical) {
            line.item->point1->setCoords(line.position, 0.0);
            line.item->point2->setCoords(line.position, 1.0);
        } else {
            line.item->point1->setCoords(0.0, line.position);
            line.item->point2->setCoords(1.0, line.position);
        }
    }
};

CTChart::CTChart(QWidget* parent) : QWidget(parent), impl_(std::make_unique<Impl>()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    impl_->plot = new QCustomPlot(this);
    layout->addWidget(impl_->plot);
    QCustomPlot* plot = impl_->plot;
    plot->setNoAntialiasingOnDrag(true);
    // Solid series lines as separate segments (the joins of 1-pixel lines look the same), and
    // no legend entries: no legend is shown, and sizing hidden entries costs a text layout per
    // series at every replot.
    plot->setPlottingHint(QCP::phFastPolylines, true);
    plot->setAutoAddPlottableToLegend(false);
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    plot->xAxis->setRange(impl_->homeX);
    plot->yAxis->setRange(impl_->homeY);

    impl_->marker = plot->addGraph();
    impl_->marker->setLineStyle(QCPGraph::lsNone);
    impl_->marker->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(Qt::red, 2), QBrush(Qt::NoBrush), 9));
    impl_->marker->setSelectable(QCP::stNone);
    // The marker has a layer of its own above the series, which are added to "main" later.
    plot->addLayer(QStringLiteral("marker"), plot->layer(QStringLiteral("main")),
                   QCustomPlot::limAbove);
    impl_->marker->setLayer(QStringLiteral("marker"));
    // The live layer is topmost with a buffer of its own; the overlay (unused) joins the buffer
    // of the layers below, so a replot still composes two buffers.
    plot->layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);
    plot->addLayer(QStringLiteral("live"), plot->layer(QStringLiteral("overlay")),
                   QCustomPlot::limAbove);
    impl_->live = plot->layer(QStringLiteral("live"));
    impl_->live->setMode(QCPLayer::lmBuffered);
    plot->setCurrentLayer(QStringLiteral("main"));
    connect(plot, &QCustomPlot::afterReplot, this, [this] {
        impl_->fullPending = false;
        impl_->livePending = false;
    });

    connect(plot, &QCustomPlot::mouseDoubleClick, this, [this](QMouseEvent* event) {
        if (event->button() == Qt::LeftButton) {
            FitToData();
            emit fitRequested();
        }
    });
    connect(plot, &QCustomPlot::mousePress, this, [this](QMouseEvent* event) {
        impl_->pressAt = event->pos();
        impl_->pressed = event->button() == Qt::LeftButton;
    });
    connect(plot, &QCustomPlot::mouseRelease, this, [this](QMouseEvent* event) {
        if (!impl_->pressed || event->button() != Qt::LeftButton) {
            return;
        }
        impl_->pressed = false;
        if ((event->pos() - impl_->pressAt).manhattanLength() > kClickSlack) {
            return;  // a drag (pan), not a click
        }
        // The nearest point of a visible series, in pixels.
        QCustomPlot* plot = impl_->plot;
        const double key = plot->xAxis->pixelToCoord(event->pos().x());
        double best = std::numeric_limits<double>::max();
        int bestSeries = -1;
        int bestIndex = -1;
        for (int s = 0; s < int(impl_->series.size()); ++s) {
            QCPGraph* graph = impl_->series[size_t(s)];
            if (!graph->visible() || graph->data()->isEmpty()) {
                continue;
            }
            const auto data = graph->data();
            auto it = data->findBegin(key, true);
            for (int step = 0; step < 3 && it != data->constEnd(); ++step, ++it) {
                const double px = plot->xAxis->coordToPixel(it->key);
                const double py = plot->yAxis->coordToPixel(it->value);
                const double distance = std::hypot(px - event->pos().x(), py - event->pos().y());
                if (distance < best) {
                    best = distance;
                    bestSeries = s;
                    bestIndex = int(it - data->constBegin());
                }
            }
        }
        if (bestSeries >= 0 && best <= kPickDistance) {
            SelectPoint(bestSeries, bestIndex);
        }
    });
}

CTChart::~CTChart() = default;

int CTChart::AddSeries(const QColor& color, LineStyle style) {
    QCPGraph* graph = impl_->plot->addGraph();
    graph->setPen(QPen(color));
    graph->setAdaptiveSampling(true);
    switch (style) {
        case LineStyle::Line:
            graph->setLineStyle(QCPGraph::lsLine);
            break;
        case LineStyle::StepLeft:
            graph->setLineStyle(QCPGraph::lsStepLeft);
            break;
        case LineStyle::StepCenter:
            graph->setLineStyle(QCPGraph::lsStepCenter);
            break;
        case LineStyle::Points:
            graph->setLineStyle(QCPGraph::lsNone);
            graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 3));
            break;
    }
    impl_->series.push_back(graph);
    return int(impl_->series.size()) - 1;
}

int CTChart::SeriesCount() const {
    return int(impl_->series.size());
}

void CTChart::SetSeriesColor(int series, const QColor& color) {
    if (QCPGraph* graph = impl_->Series(series)) {
        graph->setPen(QPen(color));
        Replot();
    }
}

void CTChart::SetSeriesVisible(int series, bool visible) {
    if (QCPGraph* graph = impl_->Series(series)) {
        graph->setVisible(visible);
        if (!visible && impl_->selectedSeries == series) {
            ClearSelection();
        }
        RefitIfAlways();
        Replot();
    }
}

bool CTChart::IsSeriesVisible(int series) const {
    const QCPGraph* graph = impl_->Series(series);
    return graph != nullptr && graph->visible();
}

void CTChart::ClearSeries(int series) {
    if (QCPGraph* graph = impl_->Series(series)) {
        graph->data()->clear();
        if (impl_->selectedSeries == series) {
            ClearSelection();
        }
        ReplotSeries(graph);
    }
}

void CTChart::ClearAllSeries() {
    for (QCPGraph* graph : impl_->series) {
        graph->data()->clear();
    }
    ClearSelection();
    RefitIfAlways();
    Replot();
}

void CTChart::AddPoints(int series, const std::vector<double>& x, const std::vector<double>& y) {
    QCPGraph* graph = impl_->Series(series);
    if (graph == nullptr) {
        return;
    }
    const size_t count = std::min(x.size(), y.size());
    QVector<double> keys(x.begin(), x.begin() + qsizetype(count));
    QVector<double> values(y.begin(), y.begin() + qsizetype(count));
    const bool sorted = std::is_sorted(keys.begin(), keys.end());
    graph->addData(keys, values, sorted);
    Impl::UpdateAntialiasing(graph);
    ReplotSeries(graph);
}

void CTChart::AddPoint(int series, double x, double y) {
    if (QCPGraph* graph = impl_->Series(series)) {
        graph->addData(x, y);
        Impl::UpdateAntialiasing(graph);
        ReplotSeries(graph);
    }
}

void CTChart::SetPoints(int series, const std::vector<double>& x, const std::vector<double>& y) {
    QCPGraph* graph = impl_->Series(series);
    if (graph == nullptr) {
        return;
    }
    if (impl_->selectedSeries == series) {
        ClearSelection();
    }
    const size_t count = std::min(x.size(), y.size());
    QVector<double> keys = ToVector(x);
    QVector<double> values = ToVector(y);
    keys.resize(qsizetype(count));
    values.resize(qsizetype(count));
    const bool sorted = std::is_sorted(keys.begin(), keys.end());
    graph->setData(keys, values, sorted);
    Impl::UpdateAntialiasing(graph);
    ReplotSeries(graph);
}

int CTChart::PointCount(int series) const {
    const QCPGraph* graph = impl_->Series(series);
    return graph != nullptr ? graph->data()->size() : 0;
}

QPointF CTChart::Point(int series, int index) const {
    const QCPGraph* graph = impl_->Series(series);
    if (graph == nullptr || index < 0 || index >= graph->data()->size()) {
        return {};
    }
    const auto it = graph->data()->at(index);
    return {it->key, it->value};
}

void CTChart::SetXRange(double lower, double upper) {
    impl_->homeX = QCPRange(lower, upper);
    impl_->plot->xAxis->setRange(impl_->homeX);
    RefitIfAlways();
    Replot();
}

void CTChart::SetYRange(double lower, double upper) {
    impl_->homeY = QCPRange(lower, upper);
    impl_->plot->yAxis->setRange(impl_->homeY);
    RefitIfAlways();
    Replot();
}

double CTChart::XLower() const {
    return impl_->plot->xAxis->range().lower;
}
double CTChart::XUpper() const {
    return impl_->plot->xAxis->range().upper;
}
double CTChart::YLower() const {
    return impl_->plot->yAxis->range().lower;
}
double CTChart::YUpper() const {
    return impl_->plot->yAxis->range().upper;
}

void CTChart::SetAxisTitles(const QString& xTitle, const QString& yTitle) {
    impl_->plot->xAxis->setLabel(xTitle);
    impl_->plot->yAxis->setLabel(yTitle);
    Replot();
}

void CTChart::SetWholeNumberXAxis() {
    auto ticker = QSharedPointer<QCPAxisTickerFixed>::create();
    ticker->setTickStep(1.0);
    ticker->setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
    impl_->plot->xAxis->setTicker(ticker);
    Replot();
}

QStringList CTChart::XTickLabels() const {
    const QVector<QString> labels = impl_->plot->xAxis->tickVectorLabels();
    return QStringList(labels.begin(), labels.end());
}

QPointF CTChart::PointToPixel(double x, double y) const {
    const QPointF inPlot(impl_->plot->xAxis->coordToPixel(x), impl_->plot->yAxis->coordToPixel(y));
    return inPlot + QPointF(impl_->plot->pos());
}

void CTChart::ResetView() {
    impl_->plot->xAxis->setRange(impl_->homeX);
    impl_->plot->yAxis->setRange(impl_->homeY);
    Replot();
}

void CTChart::SetFitValueLimits(double lower, double upper) {
    impl_->fitLimited = true;
    impl_->fitLower = std::min(lower, upper);
    impl_->fitUpper = std::max(lower, upper);
    RefitIfAlways();
}

bool CTChart::FitToData() {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    double keyLow = kInf;
    double keyHigh = -kInf;
    double valueLow = kInf;
    double valueHigh = -kInf;
    for (const QCPGraph* graph : impl_->series) {
        if (!graph->visible()) {
            continue;
        }
        const auto data = graph->data();
        for (auto it = data->constBegin(); it != data->constEnd(); ++it) {
            keyLow = std::min(keyLow, it->key);
            keyHigh = std::max(keyHigh, it->key);
            const double value = it->value;
            if (!std::isfinite(value) ||
                (impl_->fitLimited && (value < impl_->fitLower || value > impl_->fitUpper))) {
                continue;
            }
            valueLow = std::min(valueLow, value);
            valueHigh = std::max(valueHigh, value);
        }
    }
    if (!std::isfinite(keyLow) || !std::isfinite(keyHigh)) {
        return false;
    }
    QCustomPlot* plot = impl_->plot;
    const QCPRange x =
        keyHigh > keyLow ? QCPRange(keyLow, keyHigh) : QCPRange(keyLow - 0.5, keyHigh + 0.5);
    QCPRange y = plot->yAxis->range();  // kept when no value counts
    if (valueLow <= valueHigh) {
        const double span = valueHigh - valueLow;
        // A flat series: a span of a tenth of its value (or a thousandth when it is 0), so that
        // the line lies in the middle and the axis labels stay readable.
        const double margin =
            span > 0.0 ? span * kFitMargin : std::max(std::fabs(valueLow) * kFitMargin, 0.0005);
        y = QCPRange(valueLow - margin, valueHigh + margin);
    }
    if (x != plot->xAxis->range() || y != plot->yAxis->range()) {
        plot->xAxis->setRange(x);
        plot->yAxis->setRange(y);
        Replot();
    }
    return true;
}

void CTChart::SetAlwaysFit(bool on) {
    impl_->alwaysFit = on;
    RefitIfAlways();
}

bool CTChart::IsAlwaysFit() const {
    return impl_->alwaysFit;
}

bool CTChart::RefitIfAlways() {
    return impl_->alwaysFit && FitToData();
}

void CTChart::SetZoomPanEnabled(bool enabled) {
    impl_->plot->setInteractions(enabled ? (QCP::iRangeDrag | QCP::iRangeZoom)
                                         : QCP::Interactions());
}

void CTChart::SelectPoint(int series, int index) {
    QCPGraph* graph = impl_->Series(series);
    if (graph == nullptr || index < 0 || index >= graph->data()->size()) {
        ClearSelection();
        return;
    }
    const auto it = graph->data()->at(index);
    impl_->selectedSeries = series;
    impl_->selectedIndex = index;
    impl_->marker->setData(QVector<double>{it->key}, QVector<double>{it->value}, true);
    Replot();
    emit pointSelected(series, index, it->key, it->value);
}

void CTChart::ClearSelection() {
    const bool had = impl_->selectedSeries >= 0;
    impl_->selectedSeries = -1;
    impl_->selectedIndex = -1;
    impl_->marker->data()->clear();
    if (had) {
        Replot();
        emit selectionCleared();
    }
}

int CTChart::SelectedSeries() const {
    return impl_->selectedSeries;
}
int CTChart::SelectedIndex() const {
    return impl_->selectedIndex;
}

int CTChart::AddMeasureLine(Qt::Orientation orientation, double position, const QColor& color) {
    auto* item = new QCPItemStraightLine(impl_->plot);
    item->setLayer(impl_->live);
    item->setPen(QPen(color, 1));
    item->setSelectable(false);
    Impl::Line line{item, orientation, position};
    impl_->PlaceLine(line);
    impl_->lines.push_back(line);
    Replot();
    return int(impl_->lines.size()) - 1;
}

void CTChart::SetMeasureLinePosition(int line, double position) {
    if (line < 0 || line >= int(impl_->lines.size())) {
        return;
    }
    Impl::Line& entry = impl_->lines[size_t(line)];
    entry.position = position;
    impl_->PlaceLine(entry);
    ReplotLive();
}

double CTChart::MeasureLinePosition(int line) const {
    return line >= 0 && line < int(impl_->lines.size()) ? impl_->lines[size_t(line)].position : 0.0;
}

void CTChart::SetMeasureLineVisible(int line, bool visible) {
    if (line >= 0 && line < int(impl_->lines.size())) {
        impl_->lines[size_t(line)].item->setVisible(visible);
        ReplotLive();
    }
}

bool CTChart::IsMeasureLineVisible(int line) const {
    return line >= 0 && line < int(impl_->lines.size()) &&
           impl_->lines[size_t(line)].item->visible();
}

int CTChart::MeasureLineCount() const {
    return int(impl_->lines.size());
}

void CTChart::Replot() {
    impl_->fullPending = true;
    impl_->plot->replot(QCustomPlot::rpQueuedReplot);
}

void CTChart::ReplotSeries(const QCPGraph* graph) {
    // A view that the fit moved queues a full replot, which the live redraw then leaves alone.
    RefitIfAlways();
    if (graph->layer() == impl_->live) {
        ReplotLive();
    } else {
        Replot();
    }
}

// Only the live layer changed: it is redrawn once when the event loop comes back, unless a
// full replot is on its way anyway.
void CTChart::ReplotLive() {
    if (impl_->fullPending || impl_->livePending) {
        return;
    }
    impl_->livePending = true;
    QMetaObject::invokeMethod(
        this, [this] { DrawPendingLive(); }, Qt::QueuedConnection);
}

// Draws the live layer when only it waits to be drawn; false when there is nothing of the kind.
bool CTChart::DrawPendingLive() {
    if (!impl_->livePending || impl_->fullPending) {
        return false;
    }
    impl_->livePending = false;
    impl_->live->replot();
    return true;
}

void CTChart::RedrawNow() {
    if (DrawPendingLive()) {
        impl_->plot->repaint();
        return;
    }
    impl_->plot->replot(QCustomPlot::rpImmediateRefresh);
}

void CTChart::SetSeriesLive(int series) {
    if (QCPGraph* graph = impl_->Series(series)) {
        graph->setLayer(impl_->live);
        Replot();
    }
}

bool CTChart::SavePng(const QString& path, int width, int height) {
    return impl_->plot->savePng(path, width, height);
}

bool CTChart::SavePdf(const QString& path, int width, int height) {
    return impl_->plot->savePdf(path, width, height);
}

// ---------------------------------------------------------------------------------------------
// Printing

bool CTChart::Print(QPrinter& printer) {
    constexpr int kPrintWidth = 1000;  // the layout size of a plot printed while not shown
    constexpr int kPrintHeight = 600;
    // The plot is laid out at the size it is shown (or a default size when hidden), then
    // scaled to the printable area so that texts keep their proportions.
    const QSize shown = impl_->plot->size();
    const QSize layout =
        shown.width() > 50 && shown.height() > 50 ? shown : QSize(kPrintWidth, kPrintHeight);
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    if (page.isEmpty()) {
        return false;
    }
    QCPPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    painter.setMode(QCPPainter::pmVectorized);
    painter.setMode(QCPPainter::pmNoCaching);
    const double scale = std::min(page.width() / layout.width(), page.height() / layout.height());
    painter.scale(scale, scale);
    impl_->plot->toPainter(&painter, layout.width(), layout.height());
    return painter.end();
}

}  // namespace zul::ui
