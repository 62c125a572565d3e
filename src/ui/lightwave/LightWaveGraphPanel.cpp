// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/lightwave/LightWaveGraphPanel.h"

#include <algorithm>
#include <cmath>

#include <QLabel>

#include "app/Application.h"
#include "lightwave/LightWaveRequest.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/framework/QtText.h"
#include "ui/framework/TChart.h"
#include "ui/lightwave/LightWaveIds.h"

namespace zul::ui {

namespace {

constexpr int32_t kDrawnCells = 512;
constexpr int32_t kWorkCells = 8;  // fields 3-10
// Entry 2 of the version threshold list: the capture reads field 1040.
constexpr size_t kExtraWordEntry = kLightWaveExtraWordsEntry;

const std::array<QColor, kSnapshotsPerHead> kSnapshotColors = {
    QColor(220, 40, 40), QColor(20, 150, 40), QColor(200, 120, 0)};
const QColor kWaveColor(20, 60, 200);
const QColor kPeakColor(150, 0, 150);
const QColor kWorkColor(0, 0, 0);

QString RecordCaption(const UiDefinition& ui, const char* name) {
    const UiControlRecord* record = ui.FindByName(name);
    return record != nullptr ? CaptionText(record->caption) : QString();
}

// The first cell of the highest sample.
int32_t PeakCell(const LightWaveFrame& frame) {
    int32_t peakCell = 1;
    for (int32_t cell = 1; cell <= kDrawnCells; ++cell) {
        if (frame.Sample(cell) > frame.Sample(peakCell)) {
            peakCell = cell;
        }
    }
    return peakCell;
}

double HighestSample(const LightWaveFrame& frame) {
    double top = 0;
    for (int32_t cell = 1; cell <= kDrawnCells; ++cell) {
        top = std::max<double>(top, frame.Sample(cell));
    }
    return top;
}

}  // namespace

double LightWaveAxisTop(double top) {
    const double wanted = std::max(top, 1.0) * 1.1;
    const double step = std::pow(10.0, std::floor(std::log10(wanted))) / 2;
    return std::ceil(wanted / step) * step;
}

QColor LightWaveGraphPanel::SnapshotColor(int slot) {
    return kSnapshotColors[slot];
}

LightWaveGraphPanel::LightWaveGraphPanel(
    Application& app, const std::array<LightWaveGraphWidgets, kLightWaveHeads>& widgets)
    : app_(app) {
    for (int head = 0; head < kLightWaveHeads; ++head) {
        heads_[head].widgets = widgets[head];
        SetUpChart(heads_[head]);
    }
}

void LightWaveGraphPanel::SetUpChart(Head& head) {
    CTChart& chart = *head.widgets.chart;
    chart.AddSeries(kWaveColor, CTChart::LineStyle::Line);
    for (const QColor& color : kSnapshotColors) {
        chart.AddSeries(color, CTChart::LineStyle::Line);
    }
    chart.AddSeries(kWorkColor, CTChart::LineStyle::Points);
    chart.SetXRange(1, kDrawnCells + 1);
    chart.SetWholeNumberXAxis();
    chart.SetYRange(0, 1024);
    chart.SetSeriesLive(kWaveSeries);
    chart.SetSeriesLive(kWorkSeries);
    head.peakLine = chart.AddMeasureLine(Qt::Horizontal, 0, kPeakColor);
    head.peakCellLine = chart.AddMeasureLine(Qt::Vertical, 0, kPeakColor);
}

QString LightWaveGraphPanel::Label1(int head) const {
    return heads_[head].widgets.label1->text();
}

QString LightWaveGraphPanel::Label2(int head) const {
    return heads_[head].widgets.label2->text();
}

QString LightWaveGraphPanel::PeakCellText(int head) const {
    return heads_[head].widgets.peakCell->text();
}

void LightWaveGraphPanel::ResetView() {
    for (Head& head : heads_) {
        head.widgets.chart->ResetView();
    }
}

void LightWaveGraphPanel::FitToData() {
    for (Head& head : heads_) {
        head.widgets.chart->FitToData();
    }
}

void LightWaveGraphPanel::SetAlwaysFit(bool on) {
    for (Head& head : heads_) {
        head.widgets.chart->SetAlwaysFit(on);
    }
}

void LightWaveGraphPanel::ApplyAxisTitles(const UiDefinition& ui) {
    for (int head = 0; head < kLightWaveHeads; ++head) {
        const QString yTitle = RecordCaption(
            ui, head == 0 ? "LightWave_TchLeftAxisHeadA" : "LightWave_TchLeftAxisHeadB");
        const QString xTitle = RecordCaption(
            ui, head == 0 ? "LightWave_TchBottomAxisHeadA" : "LightWave_TchBottomAxisHeadB");
        heads_[head].widgets.chart->SetAxisTitles(xTitle, yTitle);
    }
}

// --- Drawing ---

void LightWaveGraphPanel::DrawHead(int head, const LightWaveShownHead& shown) {
    Head& drawn = heads_[head];
    ShowFields(drawn, shown);
    double top = DrawFrame(head, shown);
    top = std::max(top, DrawSnapshots(drawn, shown));
    top = std::max({top, DrawPeakLevel(head), 1.0});
    FitAxis(drawn, top);
}

void LightWaveGraphPanel::ShowFields(Head& head, const LightWaveShownHead& shown) {
    const bool withExtra = app_.IsVersionAtLeast(kExtraWordEntry);
    head.widgets.label1->setText(
        shown.valid ? QString::asprintf("%ld", static_cast<long>(shown.frame.Field(2)))
                    : QString());
    head.widgets.label2->setText(
        shown.valid && withExtra
            ? QString::asprintf("%0.2lf", shown.frame.Field(kExtraWordField) * 0.01)
            : QString());
}

double LightWaveGraphPanel::DrawFrame(int head, const LightWaveShownHead& shown) {
    const Head& drawn = heads_[head];
    CTChart& chart = *drawn.widgets.chart;
    double top = 0;
    chart.ClearSeries(kWorkSeries);
    if (shown.valid) {
        Plot(chart, kWaveSeries, shown.frame);
        const int32_t peakCell = PeakCell(shown.frame);
        top = shown.frame.Sample(peakCell);
        chart.SetMeasureLinePosition(drawn.peakCellLine, peakCell);
        drawn.widgets.peakCell->setText(QString::number(peakCell));
        if (workNoDisplay_[head]) {
            DrawWorkCells(chart, shown.frame);
        }
    } else {
        chart.ClearSeries(kWaveSeries);
        drawn.widgets.peakCell->clear();
    }
    chart.SetMeasureLineVisible(drawn.peakCellLine, shown.valid);
    return top;
}

void LightWaveGraphPanel::DrawWorkCells(CTChart& chart, const LightWaveFrame& frame) {
    for (int32_t row = 1; row <= kWorkCells; ++row) {
        const int32_t cell = frame.Field(2 + row);
        if (cell >= 1 && cell <= kDrawnCells) {
            chart.AddPoint(kWorkSeries, cell, frame.Sample(cell));
        }
    }
}

double LightWaveGraphPanel::DrawSnapshots(Head& head, const LightWaveShownHead& shown) {
    CTChart& chart = *head.widgets.chart;
    double top = 0;
    const bool redrawAll = !head.drawn || head.drawnRect != rectDisplay_;
    for (int slot = 0; slot < kSnapshotsPerHead; ++slot) {
        const LightWaveSnapshot& snapshot = shown.snapshots[slot];
        LightWaveSnapshot& drawn = head.drawnSnapshots[slot];
        const bool show = snapshot.shown != 0;
        if (show) {
            top = std::max(top, HighestSample(snapshot.frame));
        }
        if (!redrawAll && (drawn.shown != 0) == show && (!show || drawn.frame == snapshot.frame)) {
            continue;
        }
        if (show) {
            Plot(chart, kFirstSnapshotSeries + slot, snapshot.frame);
        } else {
            chart.ClearSeries(kFirstSnapshotSeries + slot);
        }
        drawn = snapshot;
    }
    head.drawn = true;
    head.drawnRect = rectDisplay_;
    return top;
}

double LightWaveGraphPanel::DrawPeakLevel(int head) {
    // The head's peak level of the bank shown, as a horizontal line.
    const Head& drawn = heads_[head];
    const int32_t bank = app_.Store().GetInt<kAppCurMemNo>();
    const int32_t peakLevel = app_.Store().GetInt<kHeadPeakLevel>(bank, head);
    drawn.widgets.chart->SetMeasureLinePosition(drawn.peakLine, peakLevel);
    drawn.widgets.chart->SetMeasureLineVisible(drawn.peakLine, peakLevel > 0);
    return static_cast<double>(peakLevel);
}

void LightWaveGraphPanel::FitAxis(Head& head, double top) {
    // The axis ends a little above the highest point, at a round value, so that it stays put
    // while the frames change a little.
    const double axisTop = LightWaveAxisTop(top);
    if (axisTop != head.axisTop) {
        head.axisTop = axisTop;
        head.widgets.chart->SetYRange(0, axisTop);
    }
}

void LightWaveGraphPanel::Plot(CTChart& chart, int series, const LightWaveFrame& frame) {
    const size_t perCell = rectDisplay_ ? 2 : 1;
    pointsX_.clear();
    pointsY_.clear();
    pointsX_.reserve(kDrawnCells * perCell);
    pointsY_.reserve(kDrawnCells * perCell);
    for (int32_t cell = 1; cell <= kDrawnCells; ++cell) {
        const double sample = frame.Sample(cell);
        pointsX_.push_back(cell);
        pointsY_.push_back(sample);
        if (rectDisplay_) {
            pointsX_.push_back(cell + 1);
            pointsY_.push_back(sample);
        }
    }
    chart.SetPoints(series, pointsX_, pointsY_);
}

}  // namespace zul::ui
