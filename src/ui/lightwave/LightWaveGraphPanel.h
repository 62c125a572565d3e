// SPDX-License-Identifier: GPL-3.0-or-later
// The graphs of the light-wave window: per head a chart with the received-light waveform, the
// three snapshots and the work cells, two measure lines (the head's peak level in the bank
// shown, and the cell of the highest sample), and the texts beside it (field 2, field 1040 and
// the peak cell). The panel draws what the window shows of a head and hands the chart only what
// changed since it last drew: the waveform, the work cells and the lines are on the chart's live
// layer, so a new frame redraws them alone while the snapshots stay as drawn.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include <QColor>
#include <QString>

#include "lightwave/LightWaveData.h"

class QLabel;

namespace zul {

class Application;
class UiDefinition;

}  // namespace zul

namespace zul::ui {

class CTChart;

// The top of a graph's intensity axis for the highest point drawn: 10 % above it, rounded up to
// half a power of ten (60 -> 70, 2500 -> 3000), so that the axis keeps still between frames.
double LightWaveAxisTop(double top);

// What the window shows of a head: the frame at the history position (if there is one) and the
// head's snapshots.
struct LightWaveShownHead {
    bool valid = false;
    LightWaveFrame frame;
    std::array<LightWaveSnapshot, kSnapshotsPerHead> snapshots;
};

// The widgets of a head's graph (the window's form holds them).
struct LightWaveGraphWidgets {
    CTChart* chart = nullptr;
    QLabel* label1 = nullptr;    // field 2
    QLabel* label2 = nullptr;    // field 1040, on controllers that send it
    QLabel* peakCell = nullptr;  // the cell of the highest sample, marked in the graph
};

class LightWaveGraphPanel {
public:
    // Series of a head's chart: the waveform, snapshots 1-3, the work cells.
    static constexpr int kWaveSeries = 0;
    static constexpr int kFirstSnapshotSeries = 1;
    static constexpr int kWorkSeries = 4;

    // The colour of a snapshot's series (the window gives its legend the same colour).
    static QColor SnapshotColor(int slot);

    LightWaveGraphPanel(Application& app,
                        const std::array<LightWaveGraphWidgets, kLightWaveHeads>& widgets);

    CTChart& Chart(int head) const { return *heads_[head].widgets.chart; }
    QString Label1(int head) const;
    QString Label2(int head) const;
    QString PeakCellText(int head) const;

    // Draws the head's shown frame and snapshots with the display options below.
    void DrawHead(int head, const LightWaveShownHead& shown);

    // Steps (each sample drawn as a level over its cell) instead of a line through the samples.
    void SetRectDisplay(bool on) { rectDisplay_ = on; }
    bool RectDisplay() const { return rectDisplay_; }
    // The head's work cells (fields 3-10) as points on the waveform.
    void SetWorkNoDisplay(int head, bool on) { workNoDisplay_[head] = on; }
    bool WorkNoDisplay(int head) const { return workNoDisplay_[head]; }

    // The view commands, for both graphs.
    void ResetView();
    void FitToData();
    void SetAlwaysFit(bool on);
    // The axis titles of the UI definition's records.
    void ApplyAxisTitles(const UiDefinition& ui);

private:
    struct Head {
        LightWaveGraphWidgets widgets;
        int peakLine = -1;
        int peakCellLine = -1;
        // What the chart holds: the snapshots as drawn, the step display and the axis top.
        bool drawn = false;
        bool drawnRect = false;
        std::array<LightWaveSnapshot, kSnapshotsPerHead> drawnSnapshots{};
        double axisTop = -1;
    };

    void SetUpChart(Head& head);
    void ShowFields(Head& head, const LightWaveShownHead& shown);
    // The waveform, its peak cell and the work cells; returns the highest sample (0: none).
    double DrawFrame(int head, const LightWaveShownHead& shown);
    void DrawWorkCells(CTChart& chart, const LightWaveFrame& frame);
    // The snapshots that changed; returns the highest sample of those shown (0: none).
    double DrawSnapshots(Head& head, const LightWaveShownHead& shown);
    // The head's peak level line; returns the level.
    double DrawPeakLevel(int head);
    void FitAxis(Head& head, double top);
    void Plot(CTChart& chart, int series, const LightWaveFrame& frame);

    Application& app_;
    std::array<Head, kLightWaveHeads> heads_;
    bool rectDisplay_ = false;
    std::array<bool, kLightWaveHeads> workNoDisplay_{};
    std::vector<double> pointsX_;  // reused for every series drawn
    std::vector<double> pointsY_;
};

}  // namespace zul::ui
