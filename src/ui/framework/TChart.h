// SPDX-License-Identifier: GPL-3.0-or-later
// CTChart: the chart of the buffering and light-wave windows, on QCustomPlot (only TChart.cpp
// includes it). A chart has numbered series (lines or steps, each with a colour), one x and one
// y axis with ranges the window sets, measure lines across the plot, and a selected point.
//
// Users zoom with the mouse wheel and pan by dragging; ResetView() goes back to the ranges set
// with SetXRange/SetYRange. FitToData() (also a double click on the plot) shows the range the
// points of the visible series take; with SetAlwaysFit the view follows every change of the
// points. A click selects the nearest point of the visible series within a few pixels and
// reports it with pointSelected. Long series stay fast: QCustomPlot's adaptive
// sampling draws at most a few points per pixel column.
//
// Changes are drawn on the next event-loop turn (Replot queues one redraw); RedrawNow() draws
// at once (benchmarks, exports).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <QColor>
#include <QPointF>
#include <QString>
#include <QStringList>
#include <QWidget>

class QCPGraph;
class QPrinter;

namespace zul::ui {

class CTChart : public QWidget {
    Q_OBJECT
public:
    enum class LineStyle { Line, StepLeft, StepCenter, Points };

    explicit CTChart(QWidget* parent = nullptr);
    ~CTChart() override;

    // --- Series ---
    // Adds a series and returns its number (0, 1, ...).
    int AddSeries(const QColor& color, LineStyle style = LineStyle::Line);
    int SeriesCount() const;
    void SetSeriesColor(int series, const QColor& color);
    void SetSeriesVisible(int series, bool visible);
    bool IsSeriesVisible(int series) const;
    // Removes every point of the series.
    void ClearSeries(int series);
    // Removes every point of every series.
    void ClearAllSeries();
    // Appends points (x ascending within the call is fastest; any order is accepted).
    void AddPoints(int series, const std::vector<double>& x, const std::vector<double>& y);
    void AddPoint(int series, double x, double y);
    // Replaces the points of the series.
    void SetPoints(int series, const std::vector<double>& x, const std::vector<double>& y);
    int PointCount(int series) const;
    QPointF Point(int series, int index) const;

    // --- Axes ---
    void SetXRange(double lower, double upper);
    void SetYRange(double lower, double upper);
    double XLower() const;
    double XUpper() const;
    double YLower() const;
    double YUpper() const;
    void SetAxisTitles(const QString& xTitle, const QString& yTitle);
    // The x axis counts whole things (value numbers, cells): its ticks fall on whole numbers
    // only, also when the view is zoomed in to a few of them.
    void SetWholeNumberXAxis();
    // The labels of the x axis's ticks as last drawn.
    QStringList XTickLabels() const;
    // Where a plot coordinate lies in the chart's widget coordinates (after the last redraw).
    QPointF PointToPixel(double x, double y) const;
    // Back to the ranges last set with SetXRange/SetYRange.
    void ResetView();
    // Wheel zoom and drag pan (on by default).
    void SetZoomPanEnabled(bool enabled);

    // --- Fitting the view to the data ---
    // Values outside lower..upper take no part in the value range of a fit (marks of readings
    // that are not valid would squash the real values into a line); their points still count
    // for the x range. Without limits every value counts.
    void SetFitValueLimits(double lower, double upper);
    // Sets the view to the points of the visible series: x from the first to the last point,
    // y from the lowest to the highest value counted, with a margin of kFitMargin of their span
    // on each side (a flat series gets a small span around its value). The ranges set with
    // SetXRange/SetYRange stay the ones ResetView returns to. False, with the view unchanged,
    // when no visible series has a point.
    bool FitToData();
    // While on, the view is fitted at once and again whenever points, series visibility or the
    // ranges change. Off by default.
    void SetAlwaysFit(bool on);
    bool IsAlwaysFit() const;
    static constexpr double kFitMargin = 0.05;

    // --- Selected point ---
    // Selects a point (marks it on the plot) and emits pointSelected. An out-of-range index
    // clears the selection.
    void SelectPoint(int series, int index);
    void ClearSelection();
    // -1 when nothing is selected.
    int SelectedSeries() const;
    int SelectedIndex() const;

    // --- Measure lines (infinite straight lines across the plot) ---
    // Adds a vertical (at x = position) or horizontal (at y = position) line; returns its number.
    int AddMeasureLine(Qt::Orientation orientation, double position, const QColor& color);
    void SetMeasureLinePosition(int line, double position);
    double MeasureLinePosition(int line) const;
    void SetMeasureLineVisible(int line, bool visible);
    bool IsMeasureLineVisible(int line) const;
    int MeasureLineCount() const;

    // --- Drawing and export ---
    void Replot();
    void RedrawNow();
    // Puts the series on the live layer, which has a paint buffer of its own and also holds
    // the measure lines: while nothing else changed, a change of live series or measure lines
    // redraws that layer only, and the other series stay as drawn.
    void SetSeriesLive(int series);
    // Writes the plot as it is shown (size 0: the widget's size). False when writing failed.
    bool SavePng(const QString& path, int width = 0, int height = 0);
    bool SavePdf(const QString& path, int width = 0, int height = 0);
    // Prints the plot on one page of printer (a printer or a PDF file), scaled to the page and
    // keeping the shown aspect ratio. False when the printer cannot be painted on.
    bool Print(QPrinter& printer);

signals:
    // A point was selected (by a click or SelectPoint).
    void pointSelected(int series, int index, double x, double y);
    // The selection was cleared.
    void selectionCleared();
    // The user double-clicked the plot; the view has been fitted to the data.
    void fitRequested();

private:
    void ReplotSeries(const QCPGraph* graph);
    // Refits the view when always-fit is on; true when it did.
    bool RefitIfAlways();
    void ReplotLive();
    bool DrawPendingLive();

    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zul::ui
