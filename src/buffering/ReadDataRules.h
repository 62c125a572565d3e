// SPDX-License-Identifier: GPL-3.0-or-later
// The data-handling steps of reading a buffering result: sanitising the values read from the
// controller, preparing the header, planning the value blocks and storing each decoded block.
// Pure functions over a BufferingValueSet and BufferingData; the thread drives them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/ResultInfo.h"
#include "buffering/BufferingData.h"

namespace zul {

// Most values one "%EE#RLB" request asks for.
inline constexpr int32_t kMaxValuesPerBlock = 2900;

// Clamps each FinalDataPoint to 0..65000, then zeroes it for an output whose state is not
// complete. The raw set the caller keeps is not touched.
void SanitiseReadDataSet(BufferingValueSet& working);

// True when an output involved by BufferType has values to read.
bool HasBufferedData(const BufferingValueSet& working);

// Copies the settings of the run into the header under the lock (SampleTriggerStoreNum below 1
// is raised to 1, in working as well), zeroes the counts held, takes the trigger counts and
// clears both caches.
void BeginDataRead(BufferingData& data, BufferingValueSet& working);

// Zeroes the number of values held by the output before its transfer starts. Takes the lock.
void BeginOutputTransfer(BufferingData& data, int output);

// Number of values the next block asks for, starting at value number next; 0 when done.
int32_t NextBlockCount(int32_t finalDataPoint, int32_t next);

// The "%EE#RLB" request text for values first..last of the output (0 OUT1, 1 OUT2).
std::string ValueBlockCommand(int output, int32_t first, int32_t last);

// Decodes count values of one reply into the output's values from value number first on and
// sets the number held to first + count - 1, all under one lock hold. The block must fit the
// 65000 values (else ZUL_ERR); a reply that does not hold exactly count values stores nothing
// and gives ZUL_ERR_COMM_RES.
int32_t StoreValueBlock(BufferingData& data, int output, int32_t first, int32_t count,
                        std::string_view reply, ResultInfo* info);

}  // namespace zul
