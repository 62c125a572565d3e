// SPDX-License-Identifier: GPL-3.0-or-later
// CTChart: points, selection by click and by call, measure lines, zoom and pan, export files.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include "ui/framework/TChart.h"

namespace zul::test {

using namespace zul::ui;
namespace {

class ChartTest : public ::testing::Test {
protected:
    void SetUp() override {
        chart.resize(500, 300);
        red = chart.AddSeries(Qt::red);
        blue = chart.AddSeries(Qt::blue, CTChart::LineStyle::StepLeft);
        std::vector<double> x(101);
        std::vector<double> y(101);
        for (size_t i = 0; i < x.size(); ++i) {
            x[i] = double(i);
            y[i] = double(i) / 100.0;
        }
        chart.SetPoints(red, x, y);
        chart.SetXRange(0, 100);
        chart.SetYRange(-1, 2);
        chart.show();
        chart.RedrawNow();
    }

    QWidget* Plot() { return chart.findChild<QWidget*>(); }

    void Click(QPointF at) {
        QTest::mouseClick(Plot(), Qt::LeftButton, Qt::NoModifier, at.toPoint());
    }

    CTChart chart;
    int red = -1;
    int blue = -1;
};

TEST_F(ChartTest, SeriesHoldTheirPointsUntilCleared) {
    EXPECT_EQ(chart.SeriesCount(), 2);
    EXPECT_EQ(chart.PointCount(red), 101);
    EXPECT_EQ(chart.Point(red, 50), QPointF(50, 0.5));
    chart.AddPoints(blue, {3, 1, 2}, {30, 10, 20});  // any order is accepted
    chart.AddPoint(blue, 4, 40);
    ASSERT_EQ(chart.PointCount(blue), 4);
    EXPECT_EQ(chart.Point(blue, 0), QPointF(1, 10));
    EXPECT_EQ(chart.Point(blue, 3), QPointF(4, 40));
    chart.AddPoints(blue, {5, 6}, {50});  // only complete pairs
    EXPECT_EQ(chart.PointCount(blue), 5);
    chart.ClearSeries(blue);
    EXPECT_EQ(chart.PointCount(blue), 0);
    EXPECT_EQ(chart.PointCount(red), 101);
    chart.ClearAllSeries();
    EXPECT_EQ(chart.PointCount(red), 0);
    EXPECT_EQ(chart.PointCount(7), 0);  // no such series: nothing, no crash
}

TEST_F(ChartTest, AClickSelectsTheNearestPoint) {
    QSignalSpy selected(&chart, &CTChart::pointSelected);
    Click(chart.PointToPixel(40, 0.4) + QPointF(2, 1));
    ASSERT_EQ(selected.count(), 1);
    EXPECT_EQ(selected.at(0).at(0).toInt(), red);
    EXPECT_EQ(selected.at(0).at(1).toInt(), 40);
    EXPECT_DOUBLE_EQ(selected.at(0).at(2).toDouble(), 40.0);
    EXPECT_DOUBLE_EQ(selected.at(0).at(3).toDouble(), 0.4);
    EXPECT_EQ(chart.SelectedIndex(), 40);

    // Far from every point: nothing is selected.
    Click(chart.PointToPixel(40, 1.8));
    EXPECT_EQ(selected.count(), 1);
    // A hidden series is not picked.
    chart.SetSeriesVisible(red, false);
    EXPECT_EQ(chart.SelectedSeries(), -1);
    Click(chart.PointToPixel(60, 0.6));
    EXPECT_EQ(selected.count(), 1);
}

TEST_F(ChartTest, SelectPointByCallAndClearing) {
    QSignalSpy selected(&chart, &CTChart::pointSelected);
    QSignalSpy cleared(&chart, &CTChart::selectionCleared);
    chart.SelectPoint(red, 100);
    ASSERT_EQ(selected.count(), 1);
    EXPECT_DOUBLE_EQ(selected.at(0).at(3).toDouble(), 1.0);
    chart.SelectPoint(red, 101);  // out of range clears
    EXPECT_EQ(chart.SelectedSeries(), -1);
    EXPECT_EQ(cleared.count(), 1);
    chart.SelectPoint(red, 3);
    chart.ClearSeries(red);
    EXPECT_EQ(chart.SelectedIndex(), -1);
    EXPECT_EQ(cleared.count(), 2);
}

TEST_F(ChartTest, MeasureLinesMoveAndHide) {
    const int vertical = chart.AddMeasureLine(Qt::Vertical, 25, Qt::darkGreen);
    const int horizontal = chart.AddMeasureLine(Qt::Horizontal, 0.5, Qt::darkGreen);
    EXPECT_EQ(chart.MeasureLineCount(), 2);
    chart.SetMeasureLinePosition(vertical, 75);
    EXPECT_DOUBLE_EQ(chart.MeasureLinePosition(vertical), 75);
    EXPECT_DOUBLE_EQ(chart.MeasureLinePosition(horizontal), 0.5);
    EXPECT_TRUE(chart.IsMeasureLineVisible(horizontal));
    chart.SetMeasureLineVisible(horizontal, false);
    EXPECT_FALSE(chart.IsMeasureLineVisible(horizontal));
    // The vertical line is drawn where it says: its pixel column is green in the picture.
    chart.RedrawNow();
    const QImage image = chart.grab().toImage();
    const QPoint at = chart.PointToPixel(75, 1.5).toPoint();
    auto greenAround = [&image](QPoint point) {
        for (int dx = -1; dx <= 1; ++dx) {
            const QColor c = image.pixelColor(point + QPoint(dx, 0));
            if (c.green() > c.red() + 50 && c.green() > c.blue() + 50) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(greenAround(at));
    EXPECT_FALSE(greenAround(chart.PointToPixel(25, 1.5).toPoint()));  // moved away from 25
}

TEST_F(ChartTest, WheelZoomsDragPansAndResetGoesBack) {
    const QPointF centre = chart.PointToPixel(50, 0.5);
    QWheelEvent wheel(centre, Plot()->mapToGlobal(centre), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Plot(), &wheel);
    EXPECT_GT(chart.XLower(), 0.0);
    EXPECT_LT(chart.XUpper(), 100.0);

    chart.ResetView();
    QSignalSpy selected(&chart, &CTChart::pointSelected);
    const QPointF from = chart.PointToPixel(50, 1.5);
    const QPointF to = from + QPointF(100, 0);
    QMouseEvent press(QEvent::MouseButtonPress, from, Plot()->mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, to, Plot()->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, to, Plot()->mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(Plot(), &press);
    QApplication::sendEvent(Plot(), &move);
    QApplication::sendEvent(Plot(), &release);
    EXPECT_LT(chart.XLower(), 0.0);  // dragged right: the view shows lower x
    EXPECT_EQ(selected.count(), 0);  // a drag selects nothing

    chart.ResetView();
    EXPECT_DOUBLE_EQ(chart.XLower(), 0.0);
    EXPECT_DOUBLE_EQ(chart.XUpper(), 100.0);
    EXPECT_DOUBLE_EQ(chart.YLower(), -1.0);
}

// The fixture's red series runs from (0, 0) to (100, 1); the ranges set are 0..100 and -1..2.
TEST_F(ChartTest, FitToDataShowsTheRangeOfTheVisibleValues) {
    ASSERT_TRUE(chart.FitToData());
    EXPECT_DOUBLE_EQ(chart.XLower(), 0.0);
    EXPECT_DOUBLE_EQ(chart.XUpper(), 100.0);
    // A margin of 5 % of the span of the values on each side.
    EXPECT_NEAR(chart.YLower(), -0.05, 1e-12);
    EXPECT_NEAR(chart.YUpper(), 1.05, 1e-12);
    // The ranges set stay the home of the view.
    chart.ResetView();
    EXPECT_DOUBLE_EQ(chart.YLower(), -1.0);
    EXPECT_DOUBLE_EQ(chart.YUpper(), 2.0);

    // Values outside the limits (marks of invalid readings) are left out of the value range;
    // their points still count for the x range.
    chart.SetPoints(blue, {120, 130}, {999.0, 0.25});
    chart.SetFitValueLimits(-2.0, 2.0);
    ASSERT_TRUE(chart.FitToData());
    EXPECT_DOUBLE_EQ(chart.XUpper(), 130.0);
    EXPECT_NEAR(chart.YUpper(), 1.05, 1e-12);

    // A hidden series takes no part; a flat one gets a small span around its value.
    chart.SetSeriesVisible(red, false);
    ASSERT_TRUE(chart.FitToData());
    EXPECT_DOUBLE_EQ(chart.XLower(), 120.0);
    EXPECT_LT(chart.YLower(), 0.25);
    EXPECT_GT(chart.YUpper(), 0.25);
    EXPECT_NEAR(chart.YUpper() - chart.YLower(), 0.025, 1e-12);

    // Nothing to fit: the view stays.
    chart.ClearAllSeries();
    const double lower = chart.YLower();
    EXPECT_FALSE(chart.FitToData());
    EXPECT_DOUBLE_EQ(chart.YLower(), lower);
}

TEST_F(ChartTest, AlwaysFitFollowsEveryChangeOfThePoints) {
    EXPECT_FALSE(chart.IsAlwaysFit());
    chart.SetAlwaysFit(true);
    EXPECT_TRUE(chart.IsAlwaysFit());
    EXPECT_NEAR(chart.YUpper(), 1.05, 1e-12);  // fitted at once
    chart.SetPoints(red, {1, 2, 3}, {10, 20, 30});
    EXPECT_DOUBLE_EQ(chart.XLower(), 1.0);
    EXPECT_DOUBLE_EQ(chart.XUpper(), 3.0);
    EXPECT_NEAR(chart.YLower(), 9.0, 1e-12);
    EXPECT_NEAR(chart.YUpper(), 31.0, 1e-12);
    // New ranges become the home; the view stays on the data.
    chart.SetYRange(-950, 950);
    EXPECT_NEAR(chart.YUpper(), 31.0, 1e-12);
    chart.AddPoint(red, 4, 50);
    EXPECT_NEAR(chart.YUpper(), 52.0, 1e-12);
    chart.ResetView();
    EXPECT_DOUBLE_EQ(chart.YUpper(), 950.0);

    // Off: new points leave the view where it is.
    chart.SetAlwaysFit(false);
    chart.SetPoints(red, {1, 2}, {0.5, 0.6});
    EXPECT_DOUBLE_EQ(chart.YUpper(), 950.0);
}

TEST_F(ChartTest, ADoubleClickFitsTheViewToTheData) {
    chart.SetYRange(-950, 950);
    chart.RedrawNow();
    QSignalSpy fitted(&chart, &CTChart::fitRequested);
    QTest::mouseDClick(Plot(), Qt::LeftButton, Qt::NoModifier,
                       chart.PointToPixel(50, 300).toPoint());
    EXPECT_EQ(fitted.count(), 1);
    EXPECT_NEAR(chart.YLower(), -0.05, 1e-12);
    EXPECT_NEAR(chart.YUpper(), 1.05, 1e-12);
}

bool AllWholeNumbers(const QStringList& labels) {
    for (const QString& label : labels) {
        bool ok = false;
        label.toLongLong(&ok);
        if (!ok) {
            return false;
        }
    }
    return true;
}

TEST_F(ChartTest, AWholeNumberAxisKeepsWholeTicksAtEveryZoom) {
    chart.SetXRange(1, 3);
    chart.RedrawNow();
    EXPECT_FALSE(AllWholeNumbers(chart.XTickLabels())) << "a plain axis has fractional ticks here";

    chart.SetWholeNumberXAxis();
    for (const auto& [lower, upper] :
         {std::pair{1.0, 3.0}, {1.0, 4.0}, {0.2, 2.7}, {1.0, 65000.0}}) {
        chart.SetXRange(lower, upper);
        chart.RedrawNow();
        const QStringList labels = chart.XTickLabels();
        EXPECT_FALSE(labels.isEmpty()) << lower << ".." << upper;
        EXPECT_LE(labels.size(), 12) << lower << ".." << upper;
        EXPECT_TRUE(AllWholeNumbers(labels)) << labels.join(' ').toStdString();
    }
}

TEST_F(ChartTest, ExportWritesPngAndPdf) {
    QTemporaryDir dir;
    const QString png = dir.filePath("plot.png");
    const QString pdf = dir.filePath("plot.pdf");
    ASSERT_TRUE(chart.SavePng(png, 640, 480));
    ASSERT_TRUE(chart.SavePdf(pdf));
    const QImage image(png);
    EXPECT_EQ(image.size(), QSize(640, 480));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF-"));
    EXPECT_GT(QFileInfo(pdf).size(), 500);
    EXPECT_FALSE(chart.SavePng(dir.filePath("missing/folder/plot.png")));
}

}  // namespace
}  // namespace zul::test
