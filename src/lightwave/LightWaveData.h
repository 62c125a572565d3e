// SPDX-License-Identifier: GPL-3.0-or-later
// The light-wave block shared by the capture, the window and the data file: the current frame
// of each head, a history of at most 1024 frames per head, three snapshots per head, and the
// file options. One mutex guards all of it.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

#include "lightwave/LightWaveFrame.h"
#include "settings/ProfileFile.h"

namespace zul {

inline constexpr size_t kMaxHistoryFrames = 1024;
inline constexpr int32_t kSnapshotsPerHead = 3;
inline constexpr int32_t kDefaultFrameRate = 200;

struct LightWaveSnapshot {
    LightWaveFrame frame;
    int32_t shown = 0;   // first flag: drawn in the graph
    int32_t stored = 0;  // second flag: holds a frame

    bool operator==(const LightWaveSnapshot&) const = default;
};

struct LightWaveHead {
    std::deque<LightWaveFrame> history;  // oldest first
    std::array<LightWaveSnapshot, kSnapshotsPerHead> snapshots;
};

struct LightWaveData {
    mutable std::mutex mutex;
    ProfileFile profile;  // reads and writes the light-wave data file
    std::string comment;
    int32_t frameRate = kDefaultFrameRate;
    // Frame counts as a loaded file stated them; nothing is sized by them.
    int32_t head1Count = 0;
    int32_t head2Count = 0;
    std::array<LightWaveHead, kLightWaveHeads> heads;
    std::array<LightWaveFrame, kLightWaveHeads> current;
    int32_t csvSeparator = 0;   // 0 comma, 1 semicolon, 2 tab
    int32_t csvUnderdigit = 0;  // stored in the file only

    // The operations below take the mutex; head is 0 for Head A, 1 for Head B, slot 0..2.

    // Replaces the current frames of both heads.
    void StoreCurrentFrames(const LightWaveFrame& headA, const LightWaveFrame& headB);
    LightWaveFrame CurrentFrame(int head) const;
    // Appends a copy of each head's current frame to its history, dropping the oldest frame of
    // a full history.
    void AppendCurrentToHistory();
    size_t HistorySize(int head) const;
    // Copies frame index (0 = oldest) of the head's history; false when there is none.
    bool HistoryFrame(int head, size_t index, LightWaveFrame& frame) const;
    // Puts the frame into the snapshot and sets both its flags.
    void StoreSnapshot(int head, int slot, const LightWaveFrame& frame);
    void SetSnapshotShown(int head, int slot, bool shown);
    LightWaveSnapshot Snapshot(int head, int slot) const;
    // Empties both histories and unsets all snapshots (flags 0).
    void ClearHistoryAndSnapshots();

    // The same, for callers that already hold the mutex.
    void ClearHistoryAndSnapshotsLocked();
};

}  // namespace zul
