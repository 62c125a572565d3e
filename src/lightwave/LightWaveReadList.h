// SPDX-License-Identifier: GPL-3.0-or-later
// The words one capture reads from the controller's data area: the addresses in the order they
// were inserted, the "%EE#RDD" reads that cover them, and the words received for each read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/ResultInfo.h"
#include "lightwave/LightWaveFrame.h"

namespace zul {

// A run of consecutive addresses read by one "%EE#RDD".
struct DataAreaRead {
    int32_t first = 0;
    int32_t last = 0;
    int32_t Count() const { return last - first + 1; }
    bool operator==(const DataAreaRead&) const = default;
};

// Longest reply one read may produce: reply prefix, four characters per word and the rest of
// the frame.
inline constexpr int32_t kMaxDataAreaReply = 32500;
inline constexpr int32_t kMaxWordsPerRead = (kMaxDataAreaReply - 4 - 9) / 4;

// Parses one word as the controller writes it: four hexadecimal digits, low byte first
// ("3412" is 0x1234). Returns false for anything else.
bool ParseDataAreaWord(std::string_view text, uint16_t& word);

// "%EE#RDD" + first and last address in five digits each.
std::string DataAreaReadCommand(const DataAreaRead& read);
// "%EE#WDD" + first and last address + the words, each four hex digits, low byte first.
std::string DataAreaWriteCommand(int32_t first, const std::vector<uint16_t>& words);

class LightWaveReadList {
public:
    // The list of a capture: 17201..19278, then 44 and 45 when the firmware has the extra words.
    void BuildCaptureList(bool withExtraWords);
    // Inserts one address; an address already listed is ignored.
    void Insert(int32_t address);
    void Clear();

    // The reads covering the addresses in ascending order; a run of consecutive addresses is
    // cut where one reply would grow past kMaxDataAreaReply.
    const std::vector<DataAreaRead>& Reads() const { return reads_; }

    // Stores the words of the reply to read number index at the insertion positions of their
    // addresses. The reply must hold exactly one word per address of the read (data from
    // offset 7): otherwise ZUL_ERR_COMM_RES and nothing is stored.
    int32_t StoreReply(size_t index, std::string_view reply, ResultInfo* info);

    // Word of the address, in insertion order position; 0 when never stored.
    const std::vector<uint16_t>& Words() const { return words_; }
    uint16_t WordAt(int32_t address) const;

    // Fills both frames from the words read (extra words 0 when they were not listed).
    bool FillFrames(LightWaveFrame& headA, LightWaveFrame& headB) const;

private:
    struct Entry {
        int32_t address;
        size_t position;  // insertion position
    };
    void InsertAddress(int32_t address);
    void RebuildReads();

    std::vector<int32_t> inserted_;  // addresses in insertion order
    std::vector<Entry> ascending_;   // the same, sorted by address
    std::vector<uint16_t> words_;    // by insertion position
    std::vector<DataAreaRead> reads_;
    std::vector<size_t> readStart_;  // index into ascending_ of each read's first address
};

}  // namespace zul
