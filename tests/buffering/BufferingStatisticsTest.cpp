// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffering/BufferingStatistics.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <limits>
#include <memory>

namespace zul {
namespace {

class BufferingStatisticsTest : public ::testing::Test {
protected:
    void SetValues(int output, std::initializer_list<double> values) {
        size_t i = 0;
        for (double v : values) {
            data->outputs[static_cast<size_t>(output)].values[i++] = v;
        }
        data->header[BufferingValueSet::FinalDataPoint(output)] = static_cast<int32_t>(i);
        data->outputs[static_cast<size_t>(output)].cache.Clear();
    }
    const OutputStatistics& Stats(int output) const {
        return data->outputs[static_cast<size_t>(output)].statistics;
    }
    OutputDisplay& Display(int output) {
        return data->outputs[static_cast<size_t>(output)].display;
    }

    std::unique_ptr<BufferingData> data = std::make_unique<BufferingData>();
    BufferingValueSet status;
};

TEST_F(BufferingStatisticsTest, AllDataOfFourValues) {
    SetValues(0, {3.0, 1.0, 4.0, 2.0});
    ComputeOutputStatistics(*data, 0, status);
    EXPECT_DOUBLE_EQ(Stats(0).allDataTop, 4.0);
    EXPECT_DOUBLE_EQ(Stats(0).allDataBottom, 1.0);
    EXPECT_DOUBLE_EQ(Stats(0).allDataAve, 2.5);
    EXPECT_DOUBLE_EQ(Stats(0).allDataMid, 3.0);  // element 2 of 1,2,3,4
    EXPECT_EQ(data->outputs[0].cache.sortedAllCount, 4);
    EXPECT_EQ(data->outputs[0].cache.sortedAllValid, 1);
    EXPECT_EQ(data->outputs[0].cache.statisticsValid, 1);
    // OUT2 was not touched.
    EXPECT_EQ(data->outputs[1].cache.statisticsValid, 0);
}

TEST_F(BufferingStatisticsTest, InvalidValuesTakePartInNothing) {
    SetValues(0, {950.0, 950.0000002, -951.0, -950.0, 1.0, 999.999999});
    ComputeOutputStatistics(*data, 0, status);
    EXPECT_DOUBLE_EQ(Stats(0).allDataTop, 950.0);
    EXPECT_DOUBLE_EQ(Stats(0).allDataBottom, -950.0);
    EXPECT_NEAR(Stats(0).allDataAve, 1.0 / 3.0, 1e-12);
    EXPECT_DOUBLE_EQ(Stats(0).allDataMid, 1.0);
    EXPECT_EQ(data->outputs[0].cache.sortedAllCount, 3);
    EXPECT_TRUE(IsValidBufferedValue(950.0000000));
    EXPECT_FALSE(IsValidBufferedValue(950.0000002));
}

TEST_F(BufferingStatisticsTest, NoValidValueGivesZeros) {
    SetValues(1, {960.0, -999.0});
    Display(1).horizontalOn = 1;
    Display(1).horizontalLeft = 1;
    Display(1).horizontalRight = 2;
    ComputeOutputStatistics(*data, 1, status);
    const OutputStatistics& s = Stats(1);
    EXPECT_EQ(s.allDataTop, 0.0);
    EXPECT_EQ(s.allDataBottom, 0.0);
    EXPECT_EQ(s.allDataAve, 0.0);
    EXPECT_EQ(s.allDataMid, 0.0);
    EXPECT_EQ(s.betweenActive, 1);
    EXPECT_EQ(s.betweenDataTop, 0.0);
    EXPECT_EQ(s.betweenDataAve, 0.0);
}

TEST_F(BufferingStatisticsTest, BetweenRangeIsClippedToTheValuesHeld) {
    for (int i = 0; i < 50; ++i) {
        data->outputs[0].values[static_cast<size_t>(i)] = i + 1;  // value n is n
    }
    data->header[kSlotFinalDataPoint1] = 50;
    Display(0).horizontalOn = 1;
    Display(0).horizontalLeft = 5;
    Display(0).horizontalRight = 100;
    ComputeOutputStatistics(*data, 0, status);
    const OutputStatistics& s = Stats(0);
    EXPECT_EQ(s.betweenActive, 1);
    EXPECT_DOUBLE_EQ(s.betweenDataBottom, 5.0);
    EXPECT_DOUBLE_EQ(s.betweenDataTop, 50.0);
    EXPECT_DOUBLE_EQ(s.betweenDataAve, 27.5);
    EXPECT_DOUBLE_EQ(s.betweenDataMid, 28.0);  // 46 values 5..50, element 23
    EXPECT_EQ(data->outputs[0].cache.sortedBetweenCount, 46);
    EXPECT_EQ(s.horizontalLeft, 5);
    EXPECT_EQ(s.horizontalRight, 100);
    EXPECT_EQ(s.horizontalRange, 95);
    EXPECT_DOUBLE_EQ(s.allDataAve, 25.5);
}

TEST_F(BufferingStatisticsTest, BetweenRangeInactiveCases) {
    SetValues(0, {1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0, 10.0});
    Display(0).horizontalOn = 1;
    Display(0).horizontalLeft = 10;
    Display(0).horizontalRight = 5;
    ComputeOutputStatistics(*data, 0, status);
    EXPECT_EQ(Stats(0).betweenActive, 0);
    EXPECT_EQ(Stats(0).betweenDataTop, 0.0);
    EXPECT_EQ(Stats(0).horizontalRange, -5);

    Display(0).horizontalLeft = 11;  // beyond the 10 values
    Display(0).horizontalRight = 20;
    ComputeOutputStatistics(*data, 0, status);
    EXPECT_EQ(Stats(0).betweenActive, 0);

    Display(0).horizontalOn = 0;
    Display(0).horizontalLeft = 2;
    Display(0).horizontalRight = 3;
    ComputeOutputStatistics(*data, 0, status);
    EXPECT_EQ(Stats(0).betweenActive, 0);
    EXPECT_EQ(Stats(0).betweenDataAve, 0.0);
    EXPECT_EQ(Stats(0).horizontalLeft, 2);  // lines are copied even when measuring is off
}

TEST_F(BufferingStatisticsTest, LeftLineBelowOneStartsAtTheFirstValue) {
    SetValues(0, {1.0, 2.0, 3.0});
    Display(0).horizontalOn = 1;
    Display(0).horizontalLeft = -5;
    Display(0).horizontalRight = 2;
    ComputeOutputStatistics(*data, 0, status);
    EXPECT_EQ(Stats(0).betweenActive, 1);
    EXPECT_DOUBLE_EQ(Stats(0).betweenDataTop, 2.0);
    EXPECT_DOUBLE_EQ(Stats(0).betweenDataBottom, 1.0);
    EXPECT_EQ(Stats(0).horizontalRange, 7);
}

TEST_F(BufferingStatisticsTest, SortedCopyIsKeptUntilTheCacheIsCleared) {
    SetValues(0, {1.0, 2.0, 3.0});
    ComputeOutputStatistics(*data, 0, status);
    EXPECT_DOUBLE_EQ(Stats(0).allDataTop, 3.0);
    data->outputs[0].values[0] = 100.0;
    ComputeOutputStatistics(*data, 0, status);
    EXPECT_DOUBLE_EQ(Stats(0).allDataTop, 3.0);
    data->outputs[0].cache.Clear();
    ComputeOutputStatistics(*data, 0, status);
    EXPECT_DOUBLE_EQ(Stats(0).allDataTop, 100.0);
}

TEST_F(BufferingStatisticsTest, CopiesLinesJudgementsTriggerCountAndModeFlag) {
    SetValues(1, {0.5});
    Display(1).verticalOn = 0;
    Display(1).verticalTop = 1.25;
    Display(1).verticalBottom = -0.5;
    Display(1).horizontalLeft = std::numeric_limits<int32_t>::min();
    Display(1).horizontalRight = std::numeric_limits<int32_t>::max();
    for (int slot = 15; slot <= 22; ++slot) {
        status[slot] = slot * 10;
    }
    data->header[kSlotTriggerCount1] = 4;
    data->header[kSlotTriggerCount1 + 1] = 7;
    data->header[kSlotBufferMode] = 3;
    ComputeOutputStatistics(*data, 1, status);
    const OutputStatistics& s = Stats(1);
    EXPECT_DOUBLE_EQ(s.verticalTop, 1.25);
    EXPECT_DOUBLE_EQ(s.verticalBottom, -0.5);
    EXPECT_DOUBLE_EQ(s.verticalRange, 1.75);
    EXPECT_EQ(s.horizontalRange, std::numeric_limits<int32_t>::max());
    EXPECT_EQ(s.judgement[kUpperLimit1], 160);
    EXPECT_EQ(s.judgement[kUpperLimit2], 180);
    EXPECT_EQ(s.judgement[kLowerLimit1], 200);
    EXPECT_EQ(s.judgement[kLowerLimit2], 220);
    EXPECT_EQ(s.triggerCount, 7);
    EXPECT_EQ(s.modeGrouping, 1);

    for (int32_t mode : {0, 2, 4, 5}) {
        data->header[kSlotBufferMode] = mode;
        ComputeOutputStatistics(*data, 1, status);
        EXPECT_EQ(Stats(1).modeGrouping, 0) << mode;
    }
    data->header[kSlotBufferMode] = 1;
    ComputeBufferingStatistics(*data, status);
    EXPECT_EQ(Stats(0).modeGrouping, 1);
    EXPECT_EQ(Stats(0).judgement[kUpperLimit1], 150);
    EXPECT_EQ(Stats(0).triggerCount, 4);
}

}  // namespace
}  // namespace zul
