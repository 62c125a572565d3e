// SPDX-License-Identifier: GPL-3.0-or-later
#include "lightwave/LightWaveReadList.h"

#include <algorithm>
#include <cstdio>

#include "link/FieldCodec.h"
#include "link/Frame.h"
#include "link/RequestBuilders.h"

namespace zul {

bool ParseDataAreaWord(std::string_view text, uint16_t& word) {
    return ParseHexWordField(text, word);
}

std::string DataAreaReadCommand(const DataAreaRead& read) {
    char text[32];
    std::snprintf(text, sizeof text, "%%EE#RDD%05d%05d", std::clamp(read.first, 0, 99999),
                  std::clamp(read.last, 0, 99999));
    return text;
}

std::string DataAreaWriteCommand(int32_t first, const std::vector<uint16_t>& words) {
    char text[32];
    int32_t last = first + static_cast<int32_t>(words.size()) - 1;
    std::snprintf(text, sizeof text, "%%EE#WDD%05d%05d", std::clamp(first, 0, 99999),
                  std::clamp(last, 0, 99999));
    std::string command = text;
    for (uint16_t w : words) {
        std::snprintf(text, sizeof text, "%02X%02X", w & 0xFF, w >> 8);
        command += text;
    }
    return command;
}

void LightWaveReadList::BuildCaptureList(bool withExtraWords) {
    Clear();
    for (int32_t address = kFrameAreaFirst; address <= kFrameAreaLast; ++address) {
        InsertAddress(address);
    }
    if (withExtraWords) {
        InsertAddress(kExtraWordAddressA);
        InsertAddress(kExtraWordAddressB);
    }
    RebuildReads();
}

void LightWaveReadList::Insert(int32_t address) {
    InsertAddress(address);
    RebuildReads();
}

void LightWaveReadList::InsertAddress(int32_t address) {
    auto it = std::lower_bound(ascending_.begin(), ascending_.end(), address,
                               [](const Entry& e, int32_t a) { return e.address < a; });
    if (it != ascending_.end() && it->address == address) {
        return;
    }
    ascending_.insert(it, Entry{address, inserted_.size()});
    inserted_.push_back(address);
    words_.push_back(0);
}

void LightWaveReadList::Clear() {
    inserted_.clear();
    ascending_.clear();
    words_.clear();
    reads_.clear();
    readStart_.clear();
}

void LightWaveReadList::RebuildReads() {
    reads_.clear();
    readStart_.clear();
    for (size_t i = 0; i < ascending_.size(); ++i) {
        int32_t address = ascending_[i].address;
        if (!reads_.empty()) {
            DataAreaRead& open = reads_.back();
            if (address == open.last + 1 && open.Count() < kMaxWordsPerRead) {
                open.last = address;
                continue;
            }
        }
        reads_.push_back(DataAreaRead{address, address});
        readStart_.push_back(i);
    }
}

int32_t LightWaveReadList::StoreReply(size_t index, std::string_view reply, ResultInfo* info) {
    ClearResult(info);
    if (index >= reads_.size()) {
        return SetResult(info, ZUL_ERR);
    }
    const DataAreaRead& read = reads_[index];
    const size_t count = static_cast<size_t>(read.Count());
    if (reply.size() != kReplyDataOffset + kHexWordWidth * count) {
        return SetMalformedReply(info, DataAreaReadCommand(read), reply);
    }
    // Parse everything before storing, so that a malformed reply leaves the words unchanged.
    std::vector<uint16_t> parsed(count);
    int32_t cursor = static_cast<int32_t>(kReplyDataOffset);
    for (uint16_t& word : parsed) {
        if (!TakeHexWord(reply, cursor, word)) {
            return SetMalformedReply(info, DataAreaReadCommand(read), reply);
        }
    }
    const size_t start = readStart_[index];
    for (size_t i = 0; i < count; ++i) {
        words_[ascending_[start + i].position] = parsed[i];
    }
    return ZUL_OK;
}

uint16_t LightWaveReadList::WordAt(int32_t address) const {
    auto it = std::lower_bound(ascending_.begin(), ascending_.end(), address,
                               [](const Entry& e, int32_t a) { return e.address < a; });
    if (it == ascending_.end() || it->address != address) {
        return 0;
    }
    return words_[it->position];
}

bool LightWaveReadList::FillFrames(LightWaveFrame& headA, LightWaveFrame& headB) const {
    std::vector<uint16_t> area(static_cast<size_t>(kFrameAreaWords));
    for (int32_t i = 0; i < kFrameAreaWords; ++i) {
        area[static_cast<size_t>(i)] = WordAt(kFrameAreaFirst + i);
    }
    return FillLightWaveFrames(area, WordAt(kExtraWordAddressA), WordAt(kExtraWordAddressB), headA,
                               headB);
}

}  // namespace zul
