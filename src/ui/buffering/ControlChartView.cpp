// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/ControlChartView.h"

#include <algorithm>
#include <array>
#include <cmath>

#include <QVBoxLayout>

#include "ui/buffering/CapabilityFigures.h"
#include "ui/framework/QCustomPlot.h"

namespace zul::ui {

namespace {

constexpr double kMargin = 0.05;
constexpr int kSmoothPointLimit = 500;
constexpr int kLineCount = 5;

}  // namespace

class CControlChartView::Impl {
public:
    struct LineItem {
        QCPItemStraightLine* line = nullptr;
        QCPItemText* mark = nullptr;
        bool shown = false;
        double position = 0.0;
    };

    QCustomPlot* plot = nullptr;
    QCPAxisRect* individualsRect = nullptr;
    QCPAxisRect* rangeRect = nullptr;
    QCPGraph* individuals = nullptr;
    QCPGraph* ranges = nullptr;
    QCPGraph* flagged = nullptr;
    std::array<LineItem, kLineCount> lines;
    std::vector<QCPItemText*> ruleMarks;  // created as needed, hidden when unused
    int ruleMarksUsed = 0;
    QStringList ruleTexts;
    QList<int> ruleNumbers;

    QCPItemText* RuleMark(int k) {
        while (int(ruleMarks.size()) <= k) {
            auto* mark = new QCPItemText(plot);
            mark->setClipAxisRect(individualsRect);
            mark->position->setAxes(individualsRect->axis(QCPAxis::atBottom),
                                    individualsRect->axis(QCPAxis::atLeft));
            mark->setPositionAlignment(Qt::AlignHCenter | Qt::AlignBottom);
            mark->setColor(QColor(200, 0, 0));
            ruleMarks.push_back(mark);
        }
        return ruleMarks[size_t(k)];
    }

    void PlaceLine(Line which, bool shown, double position) {
        LineItem& item = lines[size_t(which)];
        item.shown = shown;
        item.position = position;
        item.line->setVisible(shown);
        item.mark->setVisible(shown);
        item.line->point1->setCoords(0.0, position);
        item.line->point2->setCoords(1.0, position);
        const bool center = which == Line::Center || which == Line::RangeCenter;
        item.mark->position->setCoords(center ? 0.0 : 1.0, position);
    }
};

CControlChartView::CControlChartView(QWidget* parent)
    : QWidget(parent), impl_(std::make_unique<Impl>()) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    impl_->plot = new QCustomPlot(this);
    layout->addWidget(impl_->plot);
    QCustomPlot* plot = impl_->plot;
    plot->setAutoAddPlottableToLegend(false);
    plot->setPlottingHint(QCP::phFastPolylines, true);
    plot->plotLayout()->clear();
    impl_->individualsRect = new QCPAxisRect(plot);
    impl_->rangeRect = new QCPAxisRect(plot);
    plot->plotLayout()->addElement(0, 0, impl_->individualsRect);
    plot->plotLayout()->addElement(1, 0, impl_->rangeRect);
    plot->plotLayout()->setRowStretchFactor(0, 2.0);
    plot->plotLayout()->setRowStretchFactor(1, 1.0);
    auto* margins = new QCPMarginGroup(plot);
    impl_->individualsRect->setMarginGroup(QCP::msLeft | QCP::msRight, margins);
    impl_->rangeRect->setMarginGroup(QCP::msLeft | QCP::msRight, margins);
    QCPAxis* topX = impl_->individualsRect->axis(QCPAxis::atBottom);
    QCPAxis* bottomX = impl_->rangeRect->axis(QCPAxis::atBottom);
    connect(topX, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), bottomX,
            qOverload<const QCPRange&>(&QCPAxis::setRange));

    auto graphOf = [plot](QCPAxisRect* rect, const QColor& color) {
        QCPGraph* graph =
            plot->addGraph(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
        graph->setPen(QPen(color));
        return graph;
    };
    impl_->individuals = graphOf(impl_->individualsRect, QColor(30, 60, 160));
    impl_->ranges = graphOf(impl_->rangeRect, QColor(30, 120, 60));
    impl_->flagged = graphOf(impl_->individualsRect, QColor(200, 0, 0));
    impl_->flagged->setLineStyle(QCPGraph::lsNone);
    impl_->flagged->setScatterStyle(
        QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(QColor(200, 0, 0), 1.5), Qt::NoBrush, 7));

    for (int k = 0; k < kLineCount; ++k) {
        const auto which = Line(k);
        QCPAxisRect* rect = which == Line::RangeCenter || which == Line::RangeUpper
                                ? impl_->rangeRect
                                : impl_->individualsRect;
        const bool center = which == Line::Center || which == Line::RangeCenter;
        Impl::LineItem& item = impl_->lines[size_t(k)];
        item.line = new QCPItemStraightLine(plot);
        item.line->setClipAxisRect(rect);
        item.line->setPen(center ? QPen(QColor(0, 140, 0), 1.5)
                                 : QPen(QColor(200, 0, 0), 1.5, Qt::DashLine));
        for (QCPItemPosition* point : {item.line->point1, item.line->point2}) {
            point->setAxes(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
        }
        item.mark = new QCPItemText(plot);
        item.mark->setClipToAxisRect(false);
        item.mark->position->setAxisRect(rect);
        item.mark->position->setAxes(rect->axis(QCPAxis::atBottom), rect->axis(QCPAxis::atLeft));
        item.mark->position->setTypeX(QCPItemPosition::ptAxisRectRatio);
        // Close limits must not stack their names: the centre line is named at the left end,
        // the upper limit above its line and the lower limit below it at the right end.
        item.mark->setPositionAlignment(center                 ? Qt::AlignLeft | Qt::AlignBottom
                                        : which == Line::Lower ? Qt::AlignRight | Qt::AlignTop
                                                               : Qt::AlignRight | Qt::AlignBottom);
        item.mark->setColor(item.line->pen().color());
        impl_->PlaceLine(which, false, 0.0);
    }
}

CControlChartView::~CControlChartView() = default;

void CControlChartView::SetTexts(const QString& numberTitle, const QString& individualsTitle,
                                 const QString& rangeTitle, const QStringList& lineMarks) {
    impl_->rangeRect->axis(QCPAxis::atBottom)->setLabel(numberTitle);
    impl_->individualsRect->axis(QCPAxis::atLeft)->setLabel(individualsTitle);
    impl_->rangeRect->axis(QCPAxis::atLeft)->setLabel(rangeTitle);
    auto mark = [&lineMarks](int k) { return k < lineMarks.size() ? lineMarks[k] : QString(); };
    impl_->lines[size_t(Line::Center)].mark->setText(mark(0));
    impl_->lines[size_t(Line::Upper)].mark->setText(mark(1));
    impl_->lines[size_t(Line::Lower)].mark->setText(mark(2));
    impl_->lines[size_t(Line::RangeCenter)].mark->setText(mark(0));
    impl_->lines[size_t(Line::RangeUpper)].mark->setText(mark(1));
    impl_->plot->replot(QCustomPlot::rpQueuedReplot);
}

// What a Show puts on the chart's axes: the spans of the values and ranges drawn.
struct CControlChartView::Spans {
    double firstNumber = 0.0;
    double lastNumber = 1.0;
    double low = 0.0;
    double high = 0.0;
    double highestRange = 0.0;
};

void CControlChartView::Show(const CapabilityResult& result, const MicronMode& micron) {
    const double scale = micron.active ? micron.factor : 1.0;
    Spans spans = ShowPoints(result.sample, scale);
    ShowLines(result.figures.imr, scale, spans);
    MarkViolations(result, scale);
    SetRanges(spans);
    impl_->plot->replot(QCustomPlot::rpQueuedReplot);
}

// The individuals and their moving ranges (between neighbours of the sample).
CControlChartView::Spans CControlChartView::ShowPoints(const CapabilitySample& sample,
                                                       double scale) {
    const std::vector<double>& values = sample.values;
    const std::vector<int32_t>& numbers = sample.numbers;
    const size_t n = values.size();
    QVector<double> keys(static_cast<qsizetype>(n));
    QVector<double> shown(static_cast<qsizetype>(n));
    QVector<double> rangeKeys;
    QVector<double> rangeValues;
    rangeKeys.reserve(qsizetype(n));
    rangeValues.reserve(qsizetype(n));
    Spans spans;
    for (size_t i = 0; i < n; ++i) {
        keys[qsizetype(i)] = numbers[i];
        shown[qsizetype(i)] = values[i] * scale;
        spans.low = i == 0 ? shown[0] : std::min(spans.low, shown[qsizetype(i)]);
        spans.high = i == 0 ? shown[0] : std::max(spans.high, shown[qsizetype(i)]);
        if (i > 0) {
            const double range = std::fabs(values[i] - values[i - 1]) * scale;
            rangeKeys.push_back(numbers[i]);
            rangeValues.push_back(range);
            spans.highestRange = std::max(spans.highestRange, range);
        }
    }
    if (n > 0) {
        spans.firstNumber = keys.front();
        spans.lastNumber = keys.back();
    }
    for (QCPGraph* graph : {impl_->individuals, impl_->ranges}) {
        graph->setAntialiased(n <= size_t(kSmoothPointLimit));
    }
    impl_->individuals->setData(keys, shown, true);
    impl_->ranges->setData(rangeKeys, rangeValues, true);
    return spans;
}

// The centre and control lines of both charts; the value span takes in the individuals' lines.
void CControlChartView::ShowLines(const IndividualsChart& imr, double scale, Spans& spans) {
    auto place = [&](Line which, const Figure& figure) {
        impl_->PlaceLine(which, bool(figure), figure ? *figure * scale : 0.0);
        if (figure && which != Line::RangeCenter && which != Line::RangeUpper) {
            spans.low = std::min(spans.low, *figure * scale);
            spans.high = std::max(spans.high, *figure * scale);
        }
    };
    place(Line::Center, imr.center);
    place(Line::Upper, imr.ucl);
    place(Line::Lower, imr.lcl);
    place(Line::RangeCenter, imr.mrBar);
    place(Line::RangeUpper, imr.mrUcl);
    if (imr.mrUcl) {
        spans.highestRange = std::max(spans.highestRange, *imr.mrUcl * scale);
    }
}

// Flagged points: one mark per point, the rules it breaks joined in order.
void CControlChartView::MarkViolations(const CapabilityResult& result, double scale) {
    const std::vector<double>& values = result.sample.values;
    const std::vector<int32_t>& numbers = result.sample.numbers;
    const size_t n = values.size();
    QVector<double> flaggedKeys;
    QVector<double> flaggedValues;
    impl_->ruleTexts.clear();
    impl_->ruleNumbers.clear();
    const std::vector<RuleViolation>& violations = result.figures.violations;
    flaggedKeys.reserve(qsizetype(std::min(violations.size(), n)));
    flaggedValues.reserve(flaggedKeys.capacity());
    for (size_t k = 0; k < violations.size();) {
        const int64_t index = violations[k].index;
        size_t next = k;
        while (next < violations.size() && violations[next].index == index) {
            ++next;
        }
        if (index >= 0 && size_t(index) < n) {
            flaggedKeys.push_back(numbers[size_t(index)]);
            flaggedValues.push_back(values[size_t(index)] * scale);
            // Only the first points carry a mark naming their rules.
            if (impl_->ruleTexts.size() < kMaxRuleMarks) {
                QString rules;
                for (size_t r = k; r < next; ++r) {
                    rules += (r > k ? "," : "") + QString::number(violations[r].rule);
                }
                impl_->ruleTexts.push_back(rules);
                impl_->ruleNumbers.push_back(numbers[size_t(index)]);
            }
        }
        k = next;
    }
    // Many flagged points (a drifting process breaks rules at most of its points) are marked
    // with small squares without antialiasing: circles at every one of thousands of points
    // would cost far more than the rest of the chart.
    const bool few = flaggedKeys.size() <= kMaxRuleMarks;
    impl_->flagged->setScatterStyle(
        few ? QCPScatterStyle(QCPScatterStyle::ssCircle, QPen(QColor(200, 0, 0), 1.5), Qt::NoBrush,
                              7)
            : QCPScatterStyle(QCPScatterStyle::ssSquare, QColor(200, 0, 0), 3));
    impl_->flagged->setAntialiasedScatters(few);
    impl_->flagged->setData(flaggedKeys, flaggedValues, true);
    const int marks = std::min<int>(int(flaggedKeys.size()), kMaxRuleMarks);
    for (int k = 0; k < marks; ++k) {
        QCPItemText* mark = impl_->RuleMark(k);
        mark->setText(impl_->ruleTexts[k]);
        mark->position->setCoords(flaggedKeys[k], flaggedValues[k]);
        mark->setVisible(true);
    }
    for (int k = marks; k < impl_->ruleMarksUsed; ++k) {
        impl_->ruleMarks[size_t(k)]->setVisible(false);
    }
    impl_->ruleMarksUsed = marks;
}

void CControlChartView::SetRanges(const Spans& spans) {
    const double numberSpan =
        spans.lastNumber > spans.firstNumber ? spans.lastNumber - spans.firstNumber : 1.0;
    impl_->individualsRect->axis(QCPAxis::atBottom)
        ->setRange(spans.firstNumber - kMargin * numberSpan,
                   spans.lastNumber + kMargin * numberSpan);
    const double valueSpan = spans.high > spans.low ? spans.high - spans.low : 1.0;
    impl_->individualsRect->axis(QCPAxis::atLeft)
        ->setRange(spans.low - kMargin * valueSpan, spans.high + 2.0 * kMargin * valueSpan);
    impl_->rangeRect->axis(QCPAxis::atLeft)
        ->setRange(0.0,
                   spans.highestRange > 0.0 ? spans.highestRange * (1.0 + 2.0 * kMargin) : 1.0);
}

int CControlChartView::IndividualCount() const {
    return impl_->individuals->data()->size();
}

int CControlChartView::RangeCount() const {
    return impl_->ranges->data()->size();
}

int CControlChartView::FlaggedCount() const {
    return impl_->flagged->data()->size();
}

QStringList CControlChartView::RuleMarkTexts() const {
    return impl_->ruleTexts.mid(0, kMaxRuleMarks);
}

QList<int> CControlChartView::RuleMarkNumbers() const {
    return impl_->ruleNumbers.mid(0, kMaxRuleMarks);
}

bool CControlChartView::IsLineShown(Line line) const {
    return impl_->lines[size_t(line)].shown;
}

double CControlChartView::LinePosition(Line line) const {
    return impl_->lines[size_t(line)].position;
}

double CControlChartView::NumberLower() const {
    return impl_->individualsRect->axis(QCPAxis::atBottom)->range().lower;
}

double CControlChartView::NumberUpper() const {
    return impl_->individualsRect->axis(QCPAxis::atBottom)->range().upper;
}

void CControlChartView::RedrawNow() {
    impl_->plot->replot(QCustomPlot::rpImmediateRefresh);
}

void CControlChartView::Render(QCPPainter* painter, int width, int height) {
    impl_->plot->toPainter(painter, width, height);
}

}  // namespace zul::ui
