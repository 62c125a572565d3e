// SPDX-License-Identifier: GPL-3.0-or-later
// The rolling capability figures of a live output: the running sums against a full analysis of
// the same last values, the undefined cases, the window length, and the view under an output.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include <QSpinBox>

#include "app/AppTestSupport.h"
#include "settings/UiDefinition.h"
#include "ui/buffering/CapabilityRolling.h"

namespace zul::test {

using namespace zul::ui;
namespace {

// Values near the valid limit that differ from each other in the sixth decimal only, with a
// slow drift: a naive sum of squares would lose their spread entirely.
double LiveValue(uint32_t& noise, int i) {
    noise = noise * 1103515245u + 12345u;
    const double micro = std::round(30.0 * std::sin(i * 0.01) + double((noise >> 16) % 50));
    return 949.99 + micro * 1e-6;
}

// Relative tolerance.
void ExpectClose(const Figure& rolling, const Figure& full, double tolerance, int at) {
    ASSERT_EQ(bool(rolling), bool(full)) << "after value " << at;
    if (full) {
        EXPECT_NEAR(*rolling, *full, tolerance * std::fabs(*full)) << "after value " << at;
    }
}

TEST(CapabilityRolling, MatchesAFullAnalysisOfTheLastValues) {
    RollingCapability rolling(100);
    const SpecLimits limits{949.98995, 949.99015};
    rolling.SetLimits(limits);
    QualityAnalyzer analyzer;
    QualityFigures full;
    QualityOptions options;
    options.limits = limits;
    uint32_t noise = 7;
    for (int i = 1; i <= 5000; ++i) {
        ASSERT_TRUE(rolling.Push(LiveValue(noise, i)));
        // The controller's out-of-range marks are not taken.
        if (i % 97 == 0) {
            EXPECT_FALSE(rolling.Push(999.9999));
            EXPECT_FALSE(rolling.Push(-950.0000002));
        }
        if (i % 250 == 3 || i == 5000) {
            ASSERT_EQ(analyzer.Analyze(rolling.Values(), options, full), ZUL_OK);
            EXPECT_EQ(rolling.Count(), std::min(i, 100));
            ExpectClose(rolling.Mean(), full.summary.mean, 1e-15, i);
            ExpectClose(rolling.StdDev(), full.summary.stddev, 1e-6, i);
            ExpectClose(rolling.StdDevWithin(), full.stddevWithin, 1e-6, i);
            ExpectClose(rolling.Cpk(), full.capability.cpk, 1e-6, i);
        }
    }
    // The standard deviation is of the order of the micrometre steps, not 0 and not noise.
    ASSERT_TRUE(rolling.StdDev());
    EXPECT_GT(*rolling.StdDev(), 5e-6);
    EXPECT_LT(*rolling.StdDev(), 5e-5);
}

TEST(CapabilityRolling, UndefinedFiguresAndOneSidedLimits) {
    RollingCapability rolling(10);
    EXPECT_FALSE(rolling.Mean());
    rolling.Push(1.0);
    EXPECT_TRUE(rolling.Mean());
    EXPECT_FALSE(rolling.StdDev());
    EXPECT_FALSE(rolling.Cpk());
    // A constant stream after a spread one: exactly no spread, so no Cpk.
    rolling.SetLimits({0.0, 2.0});
    for (int i = 0; i < 30; ++i) {
        rolling.Push(i < 5 ? 0.5 + 0.1 * i : 1.25);
    }
    EXPECT_EQ(*rolling.StdDev(), 0.0);
    EXPECT_EQ(*rolling.StdDevWithin(), 0.0);
    EXPECT_FALSE(rolling.Cpk());
    // Moving ranges 1: sigma within 1 / 1.128; with the upper limit only, Cpk is CPU.
    rolling.Clear();
    rolling.SetLimits({std::nullopt, 10.0});
    for (double v : {1.0, 2.0, 3.0, 4.0, 5.0}) {
        rolling.Push(v);
    }
    EXPECT_NEAR(*rolling.Cpk(), (10.0 - 3.0) / (3.0 / 1.128), 1e-12);
    rolling.SetLimits({});
    EXPECT_FALSE(rolling.Cpk());
}

TEST(CapabilityRolling, TheWindowKeepsTheLatestValuesAndStaysInItsBounds) {
    RollingCapability rolling;
    EXPECT_EQ(rolling.Window(), 100);
    for (int i = 1; i <= 50; ++i) {
        rolling.Push(double(i));
    }
    rolling.SetWindow(5);  // below the smallest window
    EXPECT_EQ(rolling.Window(), 10);
    ASSERT_EQ(rolling.Count(), 10);
    EXPECT_EQ(rolling.Values().front(), 41.0);
    EXPECT_EQ(*rolling.Mean(), 45.5);
    rolling.SetWindow(20000);
    EXPECT_EQ(rolling.Window(), 10000);
    EXPECT_EQ(rolling.Count(), 10);
    rolling.Push(51.0);
    EXPECT_EQ(rolling.Count(), 11);
}

TEST(CapabilityRolling, TheViewShowsTheFiguresOfTheChosenWindow) {
    UiDefinition ui;
    ASSERT_EQ(ui.Load(ShippedUiDefinition()), ZUL_OK);
    CCapabilityRollingView view(ui);
    const QString undefined = QString::fromUtf8("—");
    EXPECT_EQ(view.FigureText(0), "0");
    EXPECT_EQ(view.FigureText(1), undefined);
    EXPECT_EQ(view.FigureText(3), undefined);
    view.SetLimits({0.0, 60.0});
    for (int i = 1; i <= 40; ++i) {
        view.Push(double(i));
    }
    EXPECT_EQ(view.FigureText(0), "40");
    EXPECT_EQ(view.FigureText(1), "20.500000");
    view.WindowBox()->setValue(10);  // the last 10: 31..40
    EXPECT_EQ(view.FigureText(0), "10");
    EXPECT_EQ(view.FigureText(1), "35.500000");
    EXPECT_EQ(view.FigureText(2), "3.027650");  // sqrt(55 / 6)
    // Cpk = (60 - 35.5) / (3 / 1.128)
    EXPECT_EQ(view.FigureText(3), "9.212");
    view.SetMicronMode(1000.0, 1);
    EXPECT_EQ(view.FigureText(1), "35500.0");
}

}  // namespace
}  // namespace zul::test
