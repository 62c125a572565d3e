// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/buffering/BufferingGraphPanel.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "app/Application.h"
#include "buffering/BufferingData.h"
#include "buffering/BufferingStatistics.h"
#include "settings/UiDefinition.h"
#include "ui/buffering/BufferingConfForm.h"
#include "ui/buffering/BufferingFormat.h"
#include "ui/buffering/BufferingTableModel.h"
#include "ui/buffering/BufferingTexts.h"
#include "ui/buffering/MeasureLineDragger.h"
#include "ui/framework/QtText.h"
#include "ui/framework/TChart.h"
#include "ui/framework/UiApplier.h"

namespace zul::ui {

namespace {

const QColor kSeriesColors[2] = {QColor(0x1f, 0x4e, 0xb4), QColor(0xc0, 0x39, 0x2b)};
const QColor kValueLineColor(0xd0, 0x40, 0x40);
const QColor kNumberLineColor(0x20, 0x90, 0x40);

// 1, 2, ..., n as the x values of a graph.
const std::vector<double>& ValueNumbers() {
    static const std::vector<double> numbers = [] {
        std::vector<double> v(kMaxBufferedValues);
        for (size_t i = 0; i < v.size(); ++i) {
            v[i] = double(i + 1);
        }
        return v;
    }();
    return numbers;
}

void Host(QWidget* parent, QWidget* child) {
    auto* layout = new QVBoxLayout(parent);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(child);
}

}  // namespace

CBufferingGraphPanel::CBufferingGraphPanel(Application& app, const BufferingData& data,
                                           const BufferingGraphHosts& hosts, QObject* parent)
    : QObject(parent), app_(app), data_(data), pointLabels_(hosts.point) {
    for (size_t o = 0; o < 2; ++o) {
        BuildOutput(o, hosts);
        BuildTable(o, hosts.table[o]);
    }
    both_ = new CTChart;
    both_->AddSeries(kSeriesColors[0]);
    both_->AddSeries(kSeriesColors[1]);
    both_->SetWholeNumberXAxis();
    Host(hosts.both, both_);
    // The controller's out-of-range marks take no part in fitting a graph to its values.
    for (CTChart* chart : AllCharts()) {
        chart->SetFitValueLimits(-kValidValueLimit, kValidValueLimit);
    }
}

void CBufferingGraphPanel::BuildOutput(size_t o, const BufferingGraphHosts& hosts) {
    CTChart* chart = charts_[o] = new CTChart;
    chart->AddSeries(kSeriesColors[o]);
    chart->SetWholeNumberXAxis();
    std::array<int, 4>& lines = lines_[o];
    lines[kLineTop] = chart->AddMeasureLine(Qt::Horizontal, 0.0, kValueLineColor);
    lines[kLineBottom] = chart->AddMeasureLine(Qt::Horizontal, 0.0, kValueLineColor);
    lines[kLineLeft] = chart->AddMeasureLine(Qt::Vertical, 1.0, kNumberLineColor);
    lines[kLineRight] = chart->AddMeasureLine(Qt::Vertical, 1.0, kNumberLineColor);
    Host(hosts.chart[o], chart);
    auto* dragger = new CMeasureLineDragger(
        *chart, [this, o](int line, double position) { MoveMeasureLine(int(o), line, position); });
    dragger->AddLine(lines[kLineTop], Qt::Horizontal);
    dragger->AddLine(lines[kLineBottom], Qt::Horizontal);
    dragger->AddLine(lines[kLineLeft], Qt::Vertical);
    dragger->AddLine(lines[kLineRight], Qt::Vertical);
    connect(chart, &CTChart::pointSelected, this, [this, o](int, int index, double, double y) {
        pointText_[o] = zul::ui::SelectedPointText(index + 1, y, ValueUnit(), app_.Micron());
        pointLabels_[o]->setText(pointText_[o]);
    });
    connect(chart, &CTChart::selectionCleared, this, [this, o] {
        pointText_[o].clear();
        pointLabels_[o]->clear();
    });
}

void CBufferingGraphPanel::BuildTable(size_t o, QWidget* host) {
    models_[o] = new CBufferingTableModel(data_, int(o), this);
    QTableView* table = tables_[o] = new QTableView;
    table->setModel(models_[o]);
    table->verticalHeader()->setVisible(false);
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setMinimumWidth(220);
    Host(host, table);
}

double CBufferingGraphPanel::ValueFactor() const {
    return app_.Micron().active ? app_.Micron().factor : 1.0;
}

QString CBufferingGraphPanel::ValueUnit() const {
    const UiControlRecord* record = app_.Ui().FindByName("Buffering_LblLeftAxis");
    return ValueAxisUnit(record != nullptr ? ToQString(record->unit) : QString(), record != nullptr,
                         app_.Micron());
}

void CBufferingGraphPanel::ApplyTexts() {
    const UiDefinition& ui = app_.Ui();
    for (size_t o = 0; o < 2; ++o) {
        models_[o]->SetColumnTitles(
            RecordCaptions(ui, o == 0 ? "Buffering_GrdOut1ColTitle" : "Buffering_GrdOut2ColTitle"));
        models_[o]->SetMicronMode(app_.Micron());
    }
    const UiControlRecord* axis = ui.FindByName("Buffering_LblLeftAxis");
    const UiControlRecord* numberAxis = ui.FindByName("Buffering_LblNumberAxis");
    const QString xTitle = numberAxis != nullptr ? CaptionText(numberAxis->caption) : QString();
    const QString yTitle =
        (axis != nullptr ? CaptionText(axis->caption) : QString()) + " (" + ValueUnit() + ")";
    for (CTChart* chart : AllCharts()) {
        chart->SetAxisTitles(xTitle, yTitle);
    }
}

void CBufferingGraphPanel::DrawOutput(int output) {
    const double factor = ValueFactor();
    std::vector<double> y;
    {
        std::lock_guard lock(data_.mutex);
        const int32_t n = data_.HeldCount(output);
        const std::vector<double>& values = data_.outputs[size_t(output)].values;
        y.assign(values.begin(), values.begin() + n);
    }
    if (factor != 1.0) {
        for (double& v : y) {
            v *= factor;
        }
    }
    const std::vector<double> x(ValueNumbers().begin(), ValueNumbers().begin() + long(y.size()));
    const double last = std::max<double>(double(y.size()), 2.0);
    for (CTChart* chart : {charts_[size_t(output)], both_}) {
        const int series = chart == both_ ? output : 0;
        chart->SetPoints(series, x, y);
        chart->SetYRange(-kValueAxisLimit * factor, kValueAxisLimit * factor);
        chart->ClearSelection();
    }
    charts_[size_t(output)]->SetXRange(1.0, last);
    charts_[size_t(output)]->Replot();
    models_[size_t(output)]->Reload();
}

void CBufferingGraphPanel::Redraw() {
    DrawOutput(0);
    DrawOutput(1);
    int32_t most = 2;
    {
        std::lock_guard lock(data_.mutex);
        most = std::max({most, data_.HeldCount(0), data_.HeldCount(1)});
    }
    both_->SetXRange(1.0, double(most));
    both_->Replot();
    for (int o = 0; o < 2; ++o) {
        DrawMeasureLines(o);
    }
}

void CBufferingGraphPanel::ClearGraphs() {
    for (CTChart* chart : AllCharts()) {
        chart->ClearAllSeries();
        chart->Replot();
    }
}

void CBufferingGraphPanel::DrawMeasureLines(int output) {
    OutputDisplay display;
    {
        std::lock_guard lock(data_.mutex);
        display = data_.outputs[size_t(output)].display;
    }
    CTChart& chart = *charts_[size_t(output)];
    const std::array<int, 4>& lines = lines_[size_t(output)];
    const double factor = ValueFactor();
    chart.SetMeasureLinePosition(lines[kLineTop], display.verticalTop * factor);
    chart.SetMeasureLinePosition(lines[kLineBottom], display.verticalBottom * factor);
    chart.SetMeasureLinePosition(lines[kLineLeft], display.horizontalLeft);
    chart.SetMeasureLinePosition(lines[kLineRight], display.horizontalRight);
    chart.SetMeasureLineVisible(lines[kLineTop], display.verticalOn != 0);
    chart.SetMeasureLineVisible(lines[kLineBottom], display.verticalOn != 0);
    chart.SetMeasureLineVisible(lines[kLineLeft], display.horizontalOn != 0);
    chart.SetMeasureLineVisible(lines[kLineRight], display.horizontalOn != 0);
    chart.Replot();
}

void CBufferingGraphPanel::MoveMeasureLine(int output, int line, double position) {
    MeasureLines lines = LoadMeasureLines(app_.Store(), output);
    const std::array<int, 4>& own = lines_[size_t(output)];
    const auto number = [position] {
        return int32_t(std::clamp(std::lround(position), 1L, long(kMaxBufferedValues)));
    };
    if (line == own[kLineTop]) {
        lines.verticalTop = position / ValueFactor();
    } else if (line == own[kLineBottom]) {
        lines.verticalBottom = position / ValueFactor();
    } else if (line == own[kLineLeft]) {
        lines.horizontalLeft = number();
    } else if (line == own[kLineRight]) {
        lines.horizontalRight = number();
    } else {
        return;
    }
    StoreMeasureLines(app_.Store(), output, lines);
    emit measureLinesMoved();
}

void CBufferingGraphPanel::SetAlwaysFit(bool on) {
    for (CTChart* chart : AllCharts()) {
        chart->SetAlwaysFit(on);
    }
}

}  // namespace zul::ui
