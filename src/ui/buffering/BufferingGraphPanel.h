// SPDX-License-Identifier: GPL-3.0-or-later
// The graphs and tables of the buffering window: per output a graph with its four measure lines
// (two value lines, two number lines that the user can drag) and a table, and one graph of both
// outputs. The panel draws the values of the block shown and keeps the selected-point texts;
// the measure lines come from the settings store (the measure-line form and the drags edit
// them there).
#pragma once

#include <array>

#include <QObject>
#include <QString>

class QLabel;
class QTableView;
class QWidget;

namespace zul {

class Application;
struct BufferingData;

}  // namespace zul

namespace zul::ui {

class CBufferingTableModel;
class CTChart;

// Where the panel puts its widgets (placeholders of the window's form).
struct BufferingGraphHosts {
    std::array<QWidget*, 2> chart{};
    std::array<QWidget*, 2> table{};
    QWidget* both = nullptr;
    std::array<QLabel*, 2> point{};  // the selected-point line under each output's graph
};

class CBufferingGraphPanel : public QObject {
    Q_OBJECT
public:
    // The measure lines of an output's graph, in the order MeasureLineOf numbers them.
    enum Line { kLineTop = 0, kLineBottom = 1, kLineLeft = 2, kLineRight = 3 };

    CBufferingGraphPanel(Application& app, const BufferingData& data,
                         const BufferingGraphHosts& hosts, QObject* parent);

    CTChart& Chart(int output) { return *charts_[size_t(output)]; }
    CTChart& BothChart() { return *both_; }
    QTableView& Table(int output) { return *tables_[size_t(output)]; }
    CBufferingTableModel& TableModel(int output) { return *models_[size_t(output)]; }
    QString SelectedPointText(int output) const { return pointText_[size_t(output)]; }
    // The chart's number of a measure line (Line) of the output's graph.
    int MeasureLineOf(int output, int which) const { return lines_[size_t(output)][size_t(which)]; }

    // Graphs, tables and measure lines from the block.
    void Redraw();
    // Empties the graphs (a read is under way).
    void ClearGraphs();
    // The measure lines of the block's display records on the graphs.
    void DrawMeasureLines(int output);
    // Every graph follows its data, or the value axis keeps its full range.
    void SetAlwaysFit(bool on);
    // Axis and column titles, units and the micrometre mode of the tables.
    void ApplyTexts();
    // A measure line of the output's graph was dragged to position (plot coordinates): stores
    // the new lines and emits measureLinesMoved.
    void MoveMeasureLine(int output, int line, double position);

signals:
    void measureLinesMoved();

private:
    void BuildOutput(size_t output, const BufferingGraphHosts& hosts);
    void BuildTable(size_t output, QWidget* host);
    void DrawOutput(int output);
    std::array<CTChart*, 3> AllCharts() const { return {charts_[0], charts_[1], both_}; }
    double ValueFactor() const;
    QString ValueUnit() const;

    Application& app_;
    const BufferingData& data_;
    std::array<CTChart*, 2> charts_{};
    CTChart* both_ = nullptr;
    std::array<QTableView*, 2> tables_{};
    std::array<CBufferingTableModel*, 2> models_{};
    std::array<std::array<int, 4>, 2> lines_{};
    std::array<QLabel*, 2> pointLabels_{};
    std::array<QString, 2> pointText_;
};

}  // namespace zul::ui
