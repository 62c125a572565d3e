// SPDX-License-Identifier: GPL-3.0-or-later
// The record of one measurement cycle: handed to the measurement thread, and back to its
// requester through the completion callback when the cycle has ended.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "base/ResultInfo.h"
#include "link/MessageThread.h"

namespace zul {

struct MeasurementCycleRequest;

// Called on the measurement thread with (context, request); it owns the request from then on.
using MeasurementCycleDoneFn =
    std::function<void(int64_t context, std::unique_ptr<MeasurementCycleRequest> request)>;

struct MeasurementCycleRequest : MessagePayload {
    ResultInfo result;  // of the first failing command; code 0 when the cycle succeeded
    MeasurementCycleDoneFn onDone;
    int64_t context = 0;
};

// Messages of the measurement thread.
inline constexpr uint32_t kMsgMeasCommandReply = kUserMessage + 9;  // 1033: CommRequest
inline constexpr uint32_t kMsgMeasStartCycle = kUserMessage + 13;   // 1037: cycle request
inline constexpr uint32_t kMsgMeasCancel = kUserMessage + 15;       // 1039: wParam = Event*

}  // namespace zul
