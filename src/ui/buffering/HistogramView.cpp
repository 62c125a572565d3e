// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/HistogramView.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QVBoxLayout>

#include "ui/buffering/CapabilityFigures.h"
#include "ui/framework/QCustomPlot.h"

namespace zul::ui {

namespace {

// Share of the shown span added on each side of the bars, the limits and the curve.
constexpr double kMargin = 0.05;
// The curve runs this many standard deviations either side of the mean.
constexpr double kCurveSigmas = 4.0;

}  // namespace

class CHistogramView::Impl {
public:
    QCustomPlot* plot = nullptr;
    QCPBars* bars = nullptr;
    QCPGraph* curve = nullptr;
    QCPItemStraightLine* limitLines[2] = {};
    QCPItemText* limitMarks[2] = {};
    std::vector<double> edges;  // scaled
};

CHistogramView::CHistogramView(QWidget* parent) : QWidget(parent), impl_(std::make_unique<Impl>()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    impl_->plot = new QCustomPlot(this);
    layout->addWidget(impl_->plot);
    QCustomPlot* plot = impl_->plot;
    plot->setAutoAddPlottableToLegend(false);
    impl_->bars = new QCPBars(plot->xAxis, plot->yAxis);
    impl_->bars->setWidthType(QCPBars::wtPlotCoords);
    impl_->bars->setPen(QPen(QColor(40, 70, 140)));
    impl_->bars->setBrush(QColor(110, 150, 220));
    impl_->curve = plot->addGraph();
    impl_->curve->setPen(QPen(QColor(200, 30, 30), 2));
    for (int side = 0; side < 2; ++side) {
        auto* line = new QCPItemStraightLine(plot);
        line->setPen(QPen(QColor(230, 120, 0), 2, Qt::DashLine));
        line->setVisible(false);
        impl_->limitLines[side] = line;
        auto* mark = new QCPItemText(plot);
        mark->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        mark->setPositionAlignment(Qt::AlignHCenter | Qt::AlignTop);
        mark->setColor(QColor(230, 120, 0));
        mark->setVisible(false);
        impl_->limitMarks[side] = mark;
    }
    plot->yAxis->setRange(0.0, 1.0);
}

CHistogramView::~CHistogramView() = default;

void CHistogramView::SetTexts(const QString& valueTitle, const QString& countTitle,
                              const QStringList& limitMarks) {
    impl_->plot->xAxis->setLabel(valueTitle);
    impl_->plot->yAxis->setLabel(countTitle);
    for (int side = 0; side < 2; ++side) {
        impl_->limitMarks[side]->setText(side < limitMarks.size() ? limitMarks[side] : QString());
    }
    impl_->plot->replot(QCustomPlot::rpQueuedReplot);
}

void CHistogramView::Show(const CapabilityResult& result, const MicronMode& micron) {
    const double scale = micron.active ? micron.factor : 1.0;
    const QualityFigures& f = result.figures;
    const Histogram& h = f.histogram;
    impl_->edges.resize(h.edges.size());
    std::transform(h.edges.begin(), h.edges.end(), impl_->edges.begin(),
                   [scale](double edge) { return edge * scale; });
    QVector<double> keys;
    QVector<double> counts;
    double width = 0.0;
    double highest = 0.0;
    for (size_t k = 0; k < h.counts.size(); ++k) {
        width = impl_->edges[k + 1] - impl_->edges[k];
        keys.push_back(impl_->edges[k] + width / 2.0);
        counts.push_back(double(h.counts[k]));
        highest = std::max(highest, double(h.counts[k]));
    }
    impl_->bars->setWidth(width);
    impl_->bars->setData(keys, counts, true);

    double lower = impl_->edges.empty() ? 0.0 : impl_->edges.front();
    double upper = impl_->edges.empty() ? 1.0 : impl_->edges.back();
    QVector<double> curveX;
    QVector<double> curveY;
    const Figure& mean = f.summary.mean;
    const Figure& sigma = f.summary.stddev;
    if (mean && sigma && *sigma > 0.0 && width > 0.0) {
        const double m = *mean * scale;
        const double s = *sigma * scale;
        const double from = m - kCurveSigmas * s;
        const double to = m + kCurveSigmas * s;
        const double area = double(f.summary.count) * width;
        for (int i = 0; i < kCurvePoints; ++i) {
            const double x = from + (to - from) * i / (kCurvePoints - 1);
            const double z = (x - m) / s;
            const double y =
                area * std::exp(-0.5 * z * z) / (s * std::sqrt(2.0 * std::numbers::pi));
            curveX.push_back(x);
            curveY.push_back(y);
            highest = std::max(highest, y);
        }
        lower = std::min(lower, from);
        upper = std::max(upper, to);
    }
    impl_->curve->setData(curveX, curveY, true);

    const Figure limits[2] = {f.limits.lower, f.limits.upper};
    for (int side = 0; side < 2; ++side) {
        QCPItemStraightLine* line = impl_->limitLines[side];
        QCPItemText* mark = impl_->limitMarks[side];
        line->setVisible(bool(limits[side]));
        mark->setVisible(bool(limits[side]));
        if (limits[side]) {
            const double x = *limits[side] * scale;
            line->point1->setCoords(x, 0.0);
            line->point2->setCoords(x, 1.0);
            mark->position->setCoords(x, 0.02);
            lower = std::min(lower, x);
            upper = std::max(upper, x);
        }
    }
    const double span = upper > lower ? upper - lower : 1.0;
    impl_->plot->xAxis->setRange(lower - kMargin * span, upper + kMargin * span);
    impl_->plot->yAxis->setRange(0.0, highest > 0.0 ? highest * (1.0 + 2.0 * kMargin) : 1.0);
    impl_->plot->replot(QCustomPlot::rpQueuedReplot);
}

int CHistogramView::BarCount() const {
    return impl_->bars->data()->size();
}

double CHistogramView::BarCountAt(int k) const {
    return k >= 0 && k < BarCount() ? (impl_->bars->data()->begin() + k)->value : 0.0;
}

double CHistogramView::BarLeftEdge(int k) const {
    return k >= 0 && size_t(k) < impl_->edges.size() ? impl_->edges[size_t(k)] : 0.0;
}

int CHistogramView::CurvePointCount() const {
    return impl_->curve->data()->size();
}

double CHistogramView::CurvePeak() const {
    double peak = 0.0;
    for (const QCPGraphData& point : *impl_->curve->data()) {
        peak = std::max(peak, point.value);
    }
    return peak;
}

std::vector<double> CHistogramView::LimitLinePositions() const {
    std::vector<double> positions;
    for (const QCPItemStraightLine* line : impl_->limitLines) {
        if (line->visible()) {
            positions.push_back(line->point1->coords().x());
        }
    }
    return positions;
}

double CHistogramView::ValueLower() const {
    return impl_->plot->xAxis->range().lower;
}

double CHistogramView::ValueUpper() const {
    return impl_->plot->xAxis->range().upper;
}

void CHistogramView::RedrawNow() {
    impl_->plot->replot(QCustomPlot::rpImmediateRefresh);
}

void CHistogramView::Render(QCPPainter* painter, int width, int height) {
    impl_->plot->toPainter(painter, width, height);
}

}  // namespace zul::ui
