// SPDX-License-Identifier: GPL-3.0-or-later
// The individuals and moving-range chart of one output's capability figures: the values
// against their value numbers with the centre line and the control limits, below it the moving
// ranges with their centre and upper limit, and the points that break a Nelson rule marked,
// with the numbers of the rules they break. Drawn with QCustomPlot directly (only
// ControlChartView.cpp includes it): two plots on one axis of value numbers and text marks,
// which the window chart does not offer.
//
// Long series stay fast: the plots sample adaptively (a few points per pixel column). Rule
// numbers are written at the first kMaxRuleMarks flagged points; every flagged point is
// marked.
#pragma once

#include <memory>

#include <QString>
#include <QStringList>
#include <QWidget>

#include "settings/MicronMode.h"

class QCPPainter;

namespace zul {

struct CapabilitySample;
struct IndividualsChart;

}  // namespace zul

namespace zul::ui {

struct CapabilityResult;

class CControlChartView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxRuleMarks = 200;

    // The lines of both plots.
    enum class Line { Center, Upper, Lower, RangeCenter, RangeUpper };

    explicit CControlChartView(QWidget* parent = nullptr);
    ~CControlChartView() override;

    // The title of the number axis, of both value axes, and the marks of the lines (entries:
    // centre, upper limit, lower limit).
    void SetTexts(const QString& numberTitle, const QString& individualsTitle,
                  const QString& rangeTitle, const QStringList& lineMarks);
    // Shows the values and figures; lengths scaled as micron mode shows them. Queues a redraw.
    void Show(const CapabilityResult& result, const MicronMode& micron);

    int IndividualCount() const;
    int RangeCount() const;
    // Points marked as breaking a rule.
    int FlaggedCount() const;
    // The texts of the rule marks, in the order of the points ("1", "2,5", ...), and the value
    // number of each.
    QStringList RuleMarkTexts() const;
    QList<int> RuleMarkNumbers() const;
    // Whether a line is shown and where (scaled).
    bool IsLineShown(Line line) const;
    double LinePosition(Line line) const;
    double NumberLower() const;
    double NumberUpper() const;

    void RedrawNow();
    // Draws the plot, laid out at width x height, on an active painter at its origin.
    void Render(QCPPainter* painter, int width, int height);

private:
    class Impl;
    struct Spans;
    Spans ShowPoints(const CapabilitySample& sample, double scale);
    void ShowLines(const IndividualsChart& imr, double scale, Spans& spans);
    void MarkViolations(const CapabilityResult& result, double scale);
    void SetRanges(const Spans& spans);

    std::unique_ptr<Impl> impl_;
};

}  // namespace zul::ui
