// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffering/ReadDataRules.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace zul {
namespace {

TEST(ReadDataRules, SanitiseClampsCountsAndDropsIncompleteOutputs) {
    BufferingValueSet set;
    set[kSlotStateRead1] = kOutputStateComplete;
    set[kSlotStateRead1 + 1] = kOutputStateComplete;
    set[kSlotFinalDataPoint1] = 70000;
    set[kSlotFinalDataPoint1 + 1] = -4;
    SanitiseReadDataSet(set);
    EXPECT_EQ(set[kSlotFinalDataPoint1], 65000);
    EXPECT_EQ(set[kSlotFinalDataPoint1 + 1], 0);

    set[kSlotStateRead1] = 2;
    set[kSlotFinalDataPoint1] = 100;
    set[kSlotFinalDataPoint1 + 1] = 200;
    SanitiseReadDataSet(set);
    EXPECT_EQ(set[kSlotFinalDataPoint1], 0);
    EXPECT_EQ(set[kSlotFinalDataPoint1 + 1], 200);
}

TEST(ReadDataRules, DataPresentOnlyForInvolvedOutputs) {
    BufferingValueSet set;
    set[kSlotBufferType] = kBufferTypeBoth;
    EXPECT_FALSE(HasBufferedData(set));
    // Both outputs, OUT1 incomplete: OUT2 alone is data.
    set[kSlotStateRead1] = 2;
    set[kSlotStateRead1 + 1] = kOutputStateComplete;
    set[kSlotFinalDataPoint1] = 10;
    set[kSlotFinalDataPoint1 + 1] = 10;
    SanitiseReadDataSet(set);
    EXPECT_EQ(set[kSlotFinalDataPoint1], 0);
    EXPECT_TRUE(HasBufferedData(set));

    BufferingValueSet only;
    only[kSlotBufferType] = kBufferTypeOut1;
    only[kSlotFinalDataPoint1 + 1] = 50;  // OUT2 not involved
    EXPECT_FALSE(HasBufferedData(only));
    only[kSlotFinalDataPoint1] = 1;
    EXPECT_TRUE(HasBufferedData(only));

    only[kSlotBufferType] = kBufferTypeOut2;
    only[kSlotFinalDataPoint1 + 1] = 0;
    EXPECT_FALSE(HasBufferedData(only));
}

TEST(ReadDataRules, BlocksOf2900ValuesCoverTheRun) {
    std::vector<std::pair<int32_t, int32_t>> blocks;
    int32_t next = 1;
    while (int32_t count = NextBlockCount(5801, next)) {
        blocks.emplace_back(next, next + count - 1);
        next += count;
    }
    std::vector<std::pair<int32_t, int32_t>> expected = {{1, 2900}, {2901, 5800}, {5801, 5801}};
    EXPECT_EQ(blocks, expected);
    EXPECT_EQ(NextBlockCount(0, 1), 0);
    EXPECT_EQ(NextBlockCount(2900, 1), 2900);
    EXPECT_EQ(NextBlockCount(2901, 2901), 1);
    EXPECT_EQ(NextBlockCount(10, 0), 0);
    EXPECT_EQ(ValueBlockCommand(0, 1, 2900), "%EE#RLB30000102900");
    EXPECT_EQ(ValueBlockCommand(1, 2901, 5800), "%EE#RLB40290105800");
}

TEST(ReadDataRules, BeginDataReadPreparesTheHeader) {
    auto data = std::make_unique<BufferingData>();
    data->header[kSlotFinalDataPoint1] = 77;
    data->header[kSlotFinalDataPoint1 + 1] = 88;
    data->outputs[0].cache.sortedAllValid = 1;
    data->outputs[1].cache.statisticsValid = 1;
    BufferingValueSet working;
    for (int slot = 0; slot < 25; ++slot) {
        working[slot] = 100 + slot;
    }
    working[kSlotSampleTriggerStoreNum] = 0;
    BeginDataRead(*data, working);
    EXPECT_EQ(working[kSlotSampleTriggerStoreNum], 1);
    EXPECT_EQ(data->header[kSlotSampleTriggerStoreNum], 1);
    for (int slot = 0; slot <= 8; ++slot) {
        if (slot != kSlotSampleTriggerStoreNum) {
            EXPECT_EQ(data->header[slot], 100 + slot) << slot;
        }
    }
    EXPECT_EQ(data->header[9], 0);
    EXPECT_EQ(data->header[kSlotStateRead1], 0);
    EXPECT_EQ(data->header[kSlotFinalDataPoint1], 0);
    EXPECT_EQ(data->header[kSlotFinalDataPoint1 + 1], 0);
    EXPECT_EQ(data->header[kSlotTriggerCount1], 123);
    EXPECT_EQ(data->header[kSlotTriggerCount1 + 1], 124);
    EXPECT_EQ(data->outputs[0].cache.sortedAllValid, 0);
    EXPECT_EQ(data->outputs[1].cache.statisticsValid, 0);
}

TEST(ReadDataRules, StoreValueBlockPlacesValuesAndCount) {
    auto data = std::make_unique<BufferingData>();
    ResultInfo info;
    ASSERT_EQ(StoreValueBlock(*data, 1, 2901, 3, "%EE$RLB+002.500000-1+2", &info), ZUL_OK);
    EXPECT_EQ(data->header[kSlotFinalDataPoint1 + 1], 2903);
    EXPECT_EQ(data->header[kSlotFinalDataPoint1], 0);
    EXPECT_NEAR(data->outputs[1].values[2900], 2.5, 1e-12);
    EXPECT_NEAR(data->outputs[1].values[2901], 2.499999, 1e-12);
    EXPECT_NEAR(data->outputs[1].values[2902], 2.500001, 1e-12);
    EXPECT_EQ(data->outputs[1].values[2903], 0.0);
    EXPECT_EQ(data->outputs[0].values[2900], 0.0);
}

TEST(ReadDataRules, ShortReplyStoresNothing) {
    auto data = std::make_unique<BufferingData>();
    ASSERT_EQ(StoreValueBlock(*data, 0, 1, 2, "%EE$RLB+001.000000+1", nullptr), ZUL_OK);
    ResultInfo info;
    EXPECT_EQ(StoreValueBlock(*data, 0, 3, 3, "%EE$RLB+009.000000+1", &info), ZUL_ERR_COMM_RES);
    EXPECT_EQ(info.code, ZUL_ERR_COMM_RES);
    EXPECT_EQ(data->header[kSlotFinalDataPoint1], 2);
    EXPECT_EQ(data->outputs[0].values[2], 0.0);
    EXPECT_EQ(data->outputs[0].values[3], 0.0);
}

TEST(ReadDataRules, BlockOutsideTheArrayIsRefused) {
    auto data = std::make_unique<BufferingData>();
    const char* reply = "%EE$RLB+001.000000+1+1";
    EXPECT_EQ(StoreValueBlock(*data, 0, 64999, 3, reply, nullptr), ZUL_ERR);
    EXPECT_EQ(StoreValueBlock(*data, 0, 0, 3, reply, nullptr), ZUL_ERR);
    EXPECT_EQ(StoreValueBlock(*data, 2, 1, 3, reply, nullptr), ZUL_ERR);
    EXPECT_EQ(StoreValueBlock(*data, 0, 64998, 3, reply, nullptr), ZUL_OK);
    EXPECT_EQ(data->header[kSlotFinalDataPoint1], 65000);
    EXPECT_NEAR(data->outputs[0].values[64999], 1.000002, 1e-12);
}

TEST(ReadDataRules, ClearValuesDropsCountsAndMode) {
    auto data = std::make_unique<BufferingData>();
    data->header[kSlotBufferMode] = 3;
    data->header[kSlotBufferType] = 1;
    data->header[kSlotFinalDataPoint1] = 5;
    data->header[kSlotTriggerCount1 + 1] = 9;
    data->outputs[0].cache.sortedAllValid = 1;
    data->ClearValues();
    EXPECT_EQ(data->header[kSlotBufferMode], 0);
    EXPECT_EQ(data->header[kSlotBufferType], 1);
    EXPECT_EQ(data->header[kSlotFinalDataPoint1], 0);
    EXPECT_EQ(data->header[kSlotTriggerCount1 + 1], 0);
    EXPECT_EQ(data->outputs[0].cache.sortedAllValid, 0);
}

}  // namespace
}  // namespace zul
