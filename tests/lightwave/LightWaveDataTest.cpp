// SPDX-License-Identifier: GPL-3.0-or-later
#include "lightwave/LightWaveData.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace zul {
namespace {

LightWaveFrame Marked(int32_t mark) {
    LightWaveFrame frame;
    frame.Field(1) = mark;
    frame.Field(1040) = -mark;
    return frame;
}

TEST(LightWaveData, HistoryKeepsTheNewest1024Frames) {
    auto data = std::make_unique<LightWaveData>();
    for (int32_t i = 0; i < 1030; ++i) {
        data->StoreCurrentFrames(Marked(i), Marked(10000 + i));
        data->AppendCurrentToHistory();
    }
    ASSERT_EQ(data->HistorySize(0), 1024u);
    ASSERT_EQ(data->HistorySize(1), 1024u);
    LightWaveFrame frame;
    ASSERT_TRUE(data->HistoryFrame(0, 0, frame));
    EXPECT_EQ(frame.Field(1), 6);
    ASSERT_TRUE(data->HistoryFrame(1, 1023, frame));
    EXPECT_EQ(frame.Field(1), 11029);
    EXPECT_FALSE(data->HistoryFrame(0, 1024, frame));
    EXPECT_FALSE(data->HistoryFrame(2, 0, frame));
    EXPECT_EQ(data->CurrentFrame(0).Field(1040), -1029);
}

TEST(LightWaveData, SnapshotsSetAndClearTheirFlags) {
    auto data = std::make_unique<LightWaveData>();
    data->StoreSnapshot(1, 2, Marked(5));
    LightWaveSnapshot snap = data->Snapshot(1, 2);
    EXPECT_EQ(snap.frame.Field(1), 5);
    EXPECT_EQ(snap.shown, 1);
    EXPECT_EQ(snap.stored, 1);
    EXPECT_EQ(data->Snapshot(0, 2).stored, 0);
    data->SetSnapshotShown(1, 2, false);
    EXPECT_EQ(data->Snapshot(1, 2).shown, 0);
    EXPECT_EQ(data->Snapshot(1, 2).stored, 1);
    data->StoreSnapshot(1, 3, Marked(6));  // no such slot
    data->StoreCurrentFrames(Marked(1), Marked(2));
    data->AppendCurrentToHistory();
    data->ClearHistoryAndSnapshots();
    EXPECT_EQ(data->HistorySize(0), 0u);
    EXPECT_EQ(data->Snapshot(1, 2).stored, 0);
    EXPECT_EQ(data->Snapshot(1, 2).shown, 0);
}

// The capture stores frames while the window reads them; both go through the lock.
TEST(LightWaveData, ConcurrentCaptureAndReading) {
    auto data = std::make_unique<LightWaveData>();
    std::thread writer([&] {
        for (int32_t i = 0; i < 2000; ++i) {
            data->StoreCurrentFrames(Marked(i), Marked(i));
            data->AppendCurrentToHistory();
        }
    });
    size_t seen = 0;
    for (int i = 0; i < 2000; ++i) {
        size_t size = data->HistorySize(0);
        LightWaveFrame frame;
        if (size > 0 && data->HistoryFrame(0, size - 1, frame)) {
            EXPECT_EQ(frame.Field(1040), -frame.Field(1));
        }
        seen = std::max(seen, size);
    }
    writer.join();
    EXPECT_EQ(data->HistorySize(0), 1024u);
    EXPECT_LE(seen, 1024u);
}

}  // namespace
}  // namespace zul
