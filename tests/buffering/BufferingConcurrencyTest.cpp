// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "buffering/BufferingStatistics.h"
#include "buffering/ReadDataRules.h"

namespace zul {
namespace {

// The transfer stores blocks on its thread while the window computes statistics; every block
// is stored in one lock hold, so a reader sees whole blocks only.
TEST(BufferingConcurrency, StatisticsSeeWholeBlocks) {
    auto data = std::make_unique<BufferingData>();
    std::string reply = "%EE$RLB+001.000000";
    for (int i = 1; i < 100; ++i) {
        reply += "+0";
    }
    std::atomic<bool> finished{false};
    std::thread transfer([&] {
        for (int32_t first = 1; first + 99 <= 20000; first += 100) {
            ASSERT_EQ(StoreValueBlock(*data, 0, first, 100, reply, nullptr), ZUL_OK);
        }
        finished = true;
    });
    while (!finished) {
        {
            std::lock_guard lock(data->mutex);
            data->outputs[0].cache.Clear();
        }
        ComputeOutputStatistics(*data, 0, BufferingValueSet{});
        std::lock_guard lock(data->mutex);
        EXPECT_EQ(data->HeldCount(0) % 100, 0);
        EXPECT_EQ(data->outputs[0].cache.sortedAllCount % 100, 0);
        EXPECT_LE(data->outputs[0].cache.sortedAllCount, data->HeldCount(0));
    }
    transfer.join();
    EXPECT_EQ(data->HeldCount(0), 20000);
}

}  // namespace
}  // namespace zul
