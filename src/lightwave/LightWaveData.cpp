// SPDX-License-Identifier: GPL-3.0-or-later
#include "lightwave/LightWaveData.h"

namespace zul {

namespace {

bool ValidHead(int head) {
    return head >= 0 && head < kLightWaveHeads;
}
bool ValidSlot(int head, int slot) {
    return ValidHead(head) && slot >= 0 && slot < kSnapshotsPerHead;
}

}  // namespace

void LightWaveData::StoreCurrentFrames(const LightWaveFrame& headA, const LightWaveFrame& headB) {
    std::lock_guard lock(mutex);
    current[0] = headA;
    current[1] = headB;
}

LightWaveFrame LightWaveData::CurrentFrame(int head) const {
    std::lock_guard lock(mutex);
    return ValidHead(head) ? current[static_cast<size_t>(head)] : LightWaveFrame{};
}

void LightWaveData::AppendCurrentToHistory() {
    std::lock_guard lock(mutex);
    for (size_t head = 0; head < heads.size(); ++head) {
        std::deque<LightWaveFrame>& history = heads[head].history;
        while (history.size() >= kMaxHistoryFrames) {
            history.pop_front();
        }
        history.push_back(current[head]);
    }
}

size_t LightWaveData::HistorySize(int head) const {
    std::lock_guard lock(mutex);
    return ValidHead(head) ? heads[static_cast<size_t>(head)].history.size() : 0;
}

bool LightWaveData::HistoryFrame(int head, size_t index, LightWaveFrame& frame) const {
    std::lock_guard lock(mutex);
    if (!ValidHead(head) || index >= heads[static_cast<size_t>(head)].history.size()) {
        return false;
    }
    frame = heads[static_cast<size_t>(head)].history[index];
    return true;
}

void LightWaveData::StoreSnapshot(int head, int slot, const LightWaveFrame& frame) {
    if (!ValidSlot(head, slot)) {
        return;
    }
    std::lock_guard lock(mutex);
    LightWaveSnapshot& snapshot =
        heads[static_cast<size_t>(head)].snapshots[static_cast<size_t>(slot)];
    snapshot.frame = frame;
    snapshot.shown = 1;
    snapshot.stored = 1;
}

void LightWaveData::SetSnapshotShown(int head, int slot, bool shown) {
    if (!ValidSlot(head, slot)) {
        return;
    }
    std::lock_guard lock(mutex);
    heads[static_cast<size_t>(head)].snapshots[static_cast<size_t>(slot)].shown = shown ? 1 : 0;
}

LightWaveSnapshot LightWaveData::Snapshot(int head, int slot) const {
    if (!ValidSlot(head, slot)) {
        return {};
    }
    std::lock_guard lock(mutex);
    return heads[static_cast<size_t>(head)].snapshots[static_cast<size_t>(slot)];
}

void LightWaveData::ClearHistoryAndSnapshots() {
    std::lock_guard lock(mutex);
    ClearHistoryAndSnapshotsLocked();
}

void LightWaveData::ClearHistoryAndSnapshotsLocked() {
    for (LightWaveHead& head : heads) {
        head.history.clear();
        for (LightWaveSnapshot& snapshot : head.snapshots) {
            snapshot.shown = 0;
            snapshot.stored = 0;
        }
    }
}

}  // namespace zul
