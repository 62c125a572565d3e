// SPDX-License-Identifier: GPL-3.0-or-later
// The capability panel of a buffered output, its histogram and I-MR chart, the statistics
// files and the printed report, driven as a user drives them: values fed in, limits typed,
// boxes ticked, and what the page then shows read back.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include <QCheckBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "PdfText.h"
#include "app/AppTestSupport.h"
#include "settings/ItemInstances.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"
#include "ui/buffering/CapabilityPanel.h"
#include "ui/buffering/CapabilityReport.h"
#include "ui/buffering/ControlChartView.h"
#include "ui/buffering/HistogramView.h"

namespace zul::test {

using namespace zul::ui;
namespace {

using Row = CCapabilityPanel::Row;

const QString kUndefined = QString::fromUtf8("—");

class CapabilityPanelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ui_ = new UiDefinition;
        ASSERT_EQ(ui_->Load(ShippedUiDefinition()), ZUL_OK);
    }
    static void TearDownTestSuite() {
        delete ui_;
        ui_ = nullptr;
    }

    // Types a limit and finishes the edit with Return, as a user does.
    static void TypeLimit(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    static QString ReadText(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    static UiDefinition* ui_;
    QTemporaryDir folder_;
};

UiDefinition* CapabilityPanelTest::ui_ = nullptr;

TEST_F(CapabilityPanelTest, ShowsHandWorkedFiguresAndUndefinedOnesAsADash) {
    CCapabilityPanel panel(*ui_, 0);
    EXPECT_EQ(panel.ColumnTitle(), "OUT1");
    EXPECT_EQ(panel.RowTitle(Row::kRowCpk), "Cpk");
    // Nothing yet: a count of 0 and every other figure undefined.
    EXPECT_EQ(panel.CellText(Row::kRowCount), "0");
    EXPECT_EQ(panel.CellText(Row::kRowMean), kUndefined);
    EXPECT_EQ(panel.CellText(Row::kRowCpk), kUndefined);

    // 1..5 with the controller's out-of-range mark between: the mark takes no part.
    const std::vector<double> values = {1, 2, 999.9999, 3, 4, 5};
    panel.SetValues(values);
    panel.SetLimits({0.0, 6.0});
    EXPECT_EQ(panel.CellText(Row::kRowCount), "5");
    EXPECT_EQ(panel.CellText(Row::kRowMean), "3.000000");
    EXPECT_EQ(panel.CellText(Row::kRowStdDev), "1.581139");  // sqrt(2.5)
    // Moving ranges 1, 1, 1, 1: sigma within 1 / 1.128.
    EXPECT_EQ(panel.CellText(Row::kRowStdDevWithin), "0.886525");
    EXPECT_EQ(panel.CellText(Row::kRowRange), "4.000000");
    EXPECT_EQ(panel.CellText(Row::kRowMedian), "3.000000");
    EXPECT_EQ(panel.CellText(Row::kRowCp), "1.128");   // 6 / (6 x 0.886525)
    EXPECT_EQ(panel.CellText(Row::kRowCpk), "1.128");  // 3 / (3 x 0.886525)
    EXPECT_EQ(panel.CellText(Row::kRowPp), "0.632");   // 6 / (6 x 1.581139)
    EXPECT_EQ(panel.CellText(Row::kRowPpk), "0.632");
    EXPECT_EQ(panel.CellText(Row::kRowBelow), "0 (0.000 %)");
    EXPECT_EQ(panel.CellText(Row::kRowInside), "5 (100.000 %)");
    EXPECT_EQ(panel.CellText(Row::kRowMrBar), "1.000000");
    EXPECT_EQ(panel.CellText(Row::kRowMrUcl), "3.267000");
    EXPECT_TRUE(panel.StatusText().contains("Values 1 to 6: 5 used, 1 out of range"))
        << panel.StatusText().toStdString();

    // Without a lower limit: one-sided indices, Cp, Pp and the share below undefined.
    TypeLimit(panel.LowerLimitEdit(), "");
    EXPECT_EQ(panel.CellText(Row::kRowLsl), kUndefined);
    EXPECT_EQ(panel.CellText(Row::kRowCp), kUndefined);
    EXPECT_EQ(panel.CellText(Row::kRowPp), kUndefined);
    EXPECT_EQ(panel.CellText(Row::kRowCpl), kUndefined);
    EXPECT_EQ(panel.CellText(Row::kRowCpk), "1.128");  // CPU
    EXPECT_EQ(panel.CellText(Row::kRowBelow), kUndefined);
    // A tighter upper limit typed in recomputes.
    TypeLimit(panel.UpperLimitEdit(), "4.5");
    EXPECT_EQ(panel.CellText(Row::kRowCpk), "0.564");  // 1.5 / (3 x 0.886525)
    EXPECT_EQ(panel.CellText(Row::kRowAbove), "1 (20.000 %)");

    // Limits that are no number or out of order are refused with the reason; the figures that
    // need no limits stay.
    TypeLimit(panel.LowerLimitEdit(), "abc");
    EXPECT_TRUE(panel.StatusText().contains("abc")) << panel.StatusText().toStdString();
    EXPECT_EQ(panel.CellText(Row::kRowCpk), kUndefined);
    EXPECT_EQ(panel.CellText(Row::kRowMean), "3.000000");
    TypeLimit(panel.LowerLimitEdit(), "5");
    EXPECT_TRUE(panel.StatusText().contains("below the upper limit"));
    EXPECT_EQ(panel.CellText(Row::kRowUsl), kUndefined);

    // Values in the sixth decimal near the valid limit keep their spread.
    panel.SetValues(std::vector<double>{949.999001, 949.999002, 949.999003});
    EXPECT_EQ(panel.CellText(Row::kRowStdDev), "0.000001");
    EXPECT_EQ(panel.CellText(Row::kRowMean), "949.999002");
    // One value: no spread can be computed.
    panel.SetValues(std::vector<double>{2.0});
    EXPECT_EQ(panel.CellText(Row::kRowStdDev), kUndefined);
    EXPECT_EQ(panel.CellText(Row::kRowMin), "2.000000");
}

TEST_F(CapabilityPanelTest, BetweenLinesUsesTheValuesBetweenTheMeasureLines) {
    CCapabilityPanel panel(*ui_, 1);
    std::vector<double> values(50);
    for (size_t i = 0; i < values.size(); ++i) {
        values[i] = double(i + 1);
    }
    panel.SetValues(values);
    panel.SetMeasureLines(true, 5, 100);
    EXPECT_EQ(panel.CellText(Row::kRowCount), "50");  // the box is not ticked yet
    panel.BetweenLinesBox()->click();
    EXPECT_TRUE(panel.BetweenLinesOnly());
    EXPECT_EQ(panel.CellText(Row::kRowCount), "46");  // values 5..50
    EXPECT_EQ(panel.CellText(Row::kRowMin), "5.000000");
    EXPECT_EQ(panel.ControlChart().IndividualCount(), 46);
    EXPECT_LT(panel.ControlChart().NumberLower(), 5.0);
    EXPECT_GT(panel.ControlChart().NumberUpper(), 50.0);
    // A line moved: recomputed at once.
    panel.SetMeasureLines(true, 5, 20);
    EXPECT_EQ(panel.CellText(Row::kRowMax), "20.000000");
    // Lines 10 to 5 give no range: nothing is used, and the page says why.
    panel.SetMeasureLines(true, 10, 5);
    EXPECT_EQ(panel.CellText(Row::kRowCount), "0");
    EXPECT_EQ(panel.CellText(Row::kRowMean), kUndefined);
    EXPECT_TRUE(panel.StatusText().contains("no range"));
    EXPECT_EQ(panel.Histogram().BarCount(), 0);
    panel.BetweenLinesBox()->click();
    EXPECT_EQ(panel.CellText(Row::kRowCount), "50");
}

TEST_F(CapabilityPanelTest, LimitsStartFromTheCurrentBanksJudgementLimits) {
    SettingsStore store;
    store.SetInt<kAppCurMemNo>(3);
    store.SetDouble<kOutDecisionMin>(0.5, 3, 1);
    store.SetDouble<kOutDecisionMax>(2.5, 3, 1);
    CCapabilityPanel out2(*ui_, 1);
    out2.SetValues(std::vector<double>{1.0, 1.5, 2.0, 1.5});
    out2.LoadBankLimits(store);
    EXPECT_EQ(out2.LowerLimitEdit()->text(), "0.500000");
    EXPECT_EQ(out2.UpperLimitEdit()->text(), "2.500000");
    EXPECT_EQ(out2.CellText(Row::kRowLsl), "0.500000");
    EXPECT_NE(out2.CellText(Row::kRowCp), kUndefined);

    // The user's limits are the window's; the button takes the bank's again.
    TypeLimit(out2.UpperLimitEdit(), "3");
    EXPECT_EQ(out2.CellText(Row::kRowUsl), "3.000000");
    out2.BankLimitsButton()->click();
    EXPECT_EQ(out2.CellText(Row::kRowUsl), "2.500000");

    // OUT1 of that bank was never set (0 and 0): no limits rather than an impossible pair.
    CCapabilityPanel out1(*ui_, 0);
    out1.LoadBankLimits(store);
    EXPECT_TRUE(out1.LowerLimitEdit()->text().isEmpty());
    EXPECT_EQ(out1.CellText(Row::kRowLsl), kUndefined);
    EXPECT_TRUE(out1.StatusText().split('\n').size() == 1);

    // Micron mode shows the limits and lengths in micrometres and reads typed ones back.
    MicronMode micron{true, 1000.0, "um", 3};
    out2.SetMicronMode(micron);
    EXPECT_EQ(out2.LowerLimitEdit()->text(), "500.000");
    EXPECT_EQ(out2.CellText(Row::kRowMean), "1500.000");
    TypeLimit(out2.UpperLimitEdit(), "2000");
    EXPECT_DOUBLE_EQ(*out2.Result().figures.limits.upper, 2.0);
}

// 40 values that stay close to 1.0 with a fixed irregular pattern, then one far off: the
// individuals chart flags that point by rule 1.
std::vector<double> PlantedShift() {
    std::vector<double> values;
    const double pattern[] = {0.02, -0.01, 0.015, -0.02, 0.005, 0.0, -0.015, 0.01};
    for (int i = 0; i < 40; ++i) {
        values.push_back(1.0 + pattern[i % 8] * ((i % 3) + 1) / 2.0);
    }
    values.insert(values.begin() + 9, -999.9999);  // value number 10: an out-of-range mark
    values.push_back(1.5);                         // value number 42
    return values;
}

TEST_F(CapabilityPanelTest, HistogramAndControlChartShowTheFigures) {
    CCapabilityPanel panel(*ui_, 0);
    panel.resize(1000, 700);
    panel.SetValues(PlantedShift());
    panel.SetLimits({0.9, 1.2});
    panel.SetBinCount(12);
    const CHistogramView& histogram = panel.Histogram();
    ASSERT_EQ(histogram.BarCount(), 12);
    double total = 0.0;
    for (int k = 0; k < histogram.BarCount(); ++k) {
        total += histogram.BarCountAt(k);
    }
    EXPECT_EQ(total, 41.0);
    EXPECT_EQ(histogram.LimitLinePositions(), (std::vector<double>{0.9, 1.2}));
    EXPECT_LE(histogram.ValueLower(), 0.9);
    EXPECT_GE(histogram.ValueUpper(), 1.5);
    EXPECT_EQ(histogram.CurvePointCount(), CHistogramView::kCurvePoints);
    // The curve is scaled to the bars: its peak is n x width x 1 / (sigma sqrt(2 pi)).
    const Summary& s = panel.Result().figures.summary;
    const double width = histogram.BarLeftEdge(1) - histogram.BarLeftEdge(0);
    EXPECT_NEAR(histogram.CurvePeak(), 41.0 * width / (*s.stddev * std::sqrt(2.0 * M_PI)),
                0.02 * histogram.CurvePeak());
    // Auto bins again: the Freedman-Diaconis count, at least 5.
    panel.BinBox()->setValue(0);
    EXPECT_EQ(panel.BinBox()->text(), "Auto");
    EXPECT_GE(panel.Histogram().BarCount(), 5);

    const CControlChartView& chart = panel.ControlChart();
    EXPECT_EQ(chart.IndividualCount(), 41);
    EXPECT_EQ(chart.RangeCount(), 40);
    using Line = CControlChartView::Line;
    const IndividualsChart& imr = panel.Result().figures.imr;
    EXPECT_DOUBLE_EQ(chart.LinePosition(Line::Center), *imr.center);
    EXPECT_DOUBLE_EQ(chart.LinePosition(Line::Upper), *imr.ucl);
    EXPECT_DOUBLE_EQ(chart.LinePosition(Line::RangeUpper), *imr.mrUcl);
    // The shifted point carries its value number (42, the mark at 10 counted) and rule 1.
    const QList<int> numbers = chart.RuleMarkNumbers();
    const qsizetype at = numbers.indexOf(42);
    ASSERT_GE(at, 0) << "flagged: " << numbers.size();
    EXPECT_TRUE(chart.RuleMarkTexts()[at].split(',').contains("1"));
    EXPECT_EQ(chart.FlaggedCount(), numbers.size());
    EXPECT_EQ(panel.CellText(Row::kRowViolations).toInt(),
              int(panel.Result().figures.violations.size()));

    // Without values the chart holds nothing and shows no lines.
    panel.SetValues({});
    EXPECT_EQ(panel.ControlChart().IndividualCount(), 0);
    EXPECT_FALSE(panel.ControlChart().IsLineShown(Line::Center));
    EXPECT_EQ(panel.ControlChart().FlaggedCount(), 0);
}

TEST_F(CapabilityPanelTest, SavesTheStatisticsAsJsonAndCsv) {
    CCapabilityPanel panel(*ui_, 1);
    panel.SetValues(PlantedShift());
    panel.SetLimits({std::nullopt, 1.2});
    panel.SetBinCount(8);
    ResultInfo result;
    const QString json = folder_.filePath("stats.json");
    ASSERT_EQ(panel.SaveStatistics(json, &result), ZUL_OK) << result.detail2;
    const QJsonObject root = QJsonDocument::fromJson(ReadText(json).toUtf8()).object();
    ASSERT_TRUE(root.contains("out2"));
    const QJsonObject out2 = root["out2"].toObject();
    EXPECT_EQ(out2["count"].toInt(), 41);
    EXPECT_TRUE(out2["cp"].isNull());  // one limit only
    EXPECT_TRUE(out2["lsl"].isNull());
    EXPECT_TRUE(out2["below"].isNull());
    EXPECT_DOUBLE_EQ(out2["usl"].toDouble(), 1.2);
    EXPECT_DOUBLE_EQ(out2["mean"].toDouble(), *panel.Result().figures.summary.mean);
    EXPECT_EQ(out2["above"].toObject()["count"].toInt(), 1);
    EXPECT_EQ(out2["histogram"].toObject()["counts"].toArray().size(), 8);
    EXPECT_EQ(out2["histogram"].toObject()["edges"].toArray().size(), 9);
    for (const char* key : {"stddev", "stddev_within", "min", "max", "range", "median", "p00135",
                            "p99865", "cpk", "pp", "ppk", "inside"}) {
        EXPECT_TRUE(out2.contains(key)) << key;
    }
    for (const char* key : {"center", "ucl", "lcl", "mr_bar", "mr_ucl"}) {
        EXPECT_TRUE(out2["imr"].toObject()[key].isDouble()) << key;
    }
    bool shiftFound = false;
    for (const QJsonValue& v : out2["violations"].toArray()) {
        shiftFound |= v.toObject()["rule"].toInt() == 1 && v.toObject()["index"].toInt() == 42;
    }
    EXPECT_TRUE(shiftFound);

    const QString csv = folder_.filePath("stats.csv");
    ASSERT_EQ(panel.SaveStatistics(csv, &result), ZUL_OK);
    const QStringList lines = ReadText(csv).split("\r\n");
    EXPECT_EQ(lines[0], "key,out2");
    EXPECT_TRUE(lines.contains("count,41"));
    EXPECT_TRUE(lines.contains("cp,"));
    EXPECT_TRUE(lines.contains("usl,1.2"));
    EXPECT_TRUE(lines.contains("above,1"));
    EXPECT_TRUE(lines.contains("below,"));

    // A folder that does not exist: refused with the path and the reason, nothing written.
    const QString missing = folder_.filePath("no/such/stats.csv");
    EXPECT_EQ(panel.SaveStatistics(missing, &result), ZUL_ERR_FILE_WRITE);
    EXPECT_EQ(result.detail1, missing.toStdString());
    EXPECT_FALSE(result.detail2.empty());
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(CapabilityPanelTest, PrintsTheReportOfBothOutputsIntoAPdf) {
    CCapabilityPanel out1(*ui_, 0);
    CCapabilityPanel out2(*ui_, 1);
    out1.SetValues(std::vector<double>{1, 2, 3, 4, 5});
    out1.SetLimits({0.0, 6.0});
    out2.SetValues(PlantedShift());
    SettingsStore store;
    store.SetText<kCtrlType>("QV-M8A");
    store.SetInt<kAppCurMemNo>(4);
    store.SetText<kSoftMemAlias>("LineB", 4);
    const CapabilityReportHeader header = CapabilityReportHeaderOf(store);
    EXPECT_EQ(header.bank, "4 LineB");
    CCapabilityPanel* panels[] = {&out1, &out2};
    const QString pdf = folder_.filePath("report.pdf");
    ResultInfo result;
    ASSERT_EQ(PrintCapabilityReportToPdf(pdf, *ui_, header, panels, &result), ZUL_OK)
        << result.detail2;
    const std::optional<QString> extracted = PdfText(pdf);
    if (!extracted) {
        GTEST_SKIP() << kNoPdfText;
    }
    const QString text = *extracted;
    const QStringList pages = text.split('\f', Qt::SkipEmptyParts);
    ASSERT_GE(pages.size(), 2) << text.left(600).toStdString();
    EXPECT_TRUE(pages[0].contains("Process capability report"));
    EXPECT_TRUE(pages[0].contains("QV-M8A"));
    EXPECT_TRUE(pages[0].contains("4 LineB"));
    EXPECT_TRUE(pages[0].contains("OUT1"));
    EXPECT_TRUE(pages[0].contains("1.128"));     // Cp and Cpk of 1..5 in 0..6
    EXPECT_TRUE(pages[0].contains("1.581139"));  // its standard deviation
    EXPECT_TRUE(pages[1].contains("OUT2"));
    EXPECT_TRUE(pages[1].contains(kUndefined));      // OUT2 has no limits
    EXPECT_TRUE(pages[1].contains("Moving range"));  // the chart's axis title

    // A report into a folder that does not exist fails with the reason and leaves no file.
    const QString missing = folder_.filePath("gone/report.pdf");
    EXPECT_EQ(PrintCapabilityReportToPdf(missing, *ui_, header, panels, &result),
              ZUL_ERR_FILE_WRITE);
    EXPECT_FALSE(result.detail2.empty());
    EXPECT_FALSE(QFile::exists(missing));
}

}  // namespace
}  // namespace zul::test
