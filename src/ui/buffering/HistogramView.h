// SPDX-License-Identifier: GPL-3.0-or-later
// The histogram of one output's capability figures: a bar per bin, the normal curve of the
// mean and the overall standard deviation scaled to the bars (count x bin width x density),
// and the lower and upper limits as vertical lines with their marks. Drawn with QCustomPlot
// directly (only HistogramView.cpp includes it): the window chart has no bars.
#pragma once

#include <memory>
#include <vector>

#include <QString>
#include <QStringList>
#include <QWidget>

#include "settings/MicronMode.h"

class QCPPainter;

namespace zul::ui {

struct CapabilityResult;

class CHistogramView : public QWidget {
    Q_OBJECT
public:
    // Points of the normal curve.
    static constexpr int kCurvePoints = 161;

    explicit CHistogramView(QWidget* parent = nullptr);
    ~CHistogramView() override;

    // Axis titles and the marks of the limit lines (entry 0 the lower, 1 the upper limit).
    void SetTexts(const QString& valueTitle, const QString& countTitle,
                  const QStringList& limitMarks);
    // Shows the figures' histogram; lengths scaled as micron mode shows them. Queues a redraw.
    void Show(const CapabilityResult& result, const MicronMode& micron);

    int BarCount() const;
    // Bar k: its count and its left edge (scaled).
    double BarCountAt(int k) const;
    double BarLeftEdge(int k) const;
    // Points of the normal curve (0 when the spread is undefined or 0).
    int CurvePointCount() const;
    // The largest value of the curve.
    double CurvePeak() const;
    // Positions of the limit lines shown (scaled), lower first.
    std::vector<double> LimitLinePositions() const;
    // The visible value range.
    double ValueLower() const;
    double ValueUpper() const;

    void RedrawNow();
    // Draws the plot, laid out at width x height, on an active painter at its origin.
    void Render(QCPPainter* painter, int width, int height);

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zul::ui
