// SPDX-License-Identifier: GPL-3.0-or-later
// The record the buffering window and the buffering thread exchange, and the thread's message
// numbers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "base/ResultInfo.h"
#include "buffering/BufferingValueSet.h"
#include "link/LinkEnvironment.h"
#include "link/MessageThread.h"

namespace zul {

enum BufferingKind : int32_t {
    kStartMonitoring = 1,
    kStopMonitoring = 2,
    kReadData = 3,
    kReadState = 4,
    kMonitoringComplete = 5,  // set by the thread on the request it returns when complete
    kMonitoringUpdate = 6,    // set by the thread on the copies it sends while monitoring
};

struct BufferingRequest;

// Called on the buffering thread with (user data, request); it owns the request from then on.
using BufferingDoneFn = std::function<void(int64_t userData, std::unique_ptr<BufferingRequest>)>;

struct BufferingRequest : MessagePayload {
    ResultInfo result;
    int32_t kind = kReadState;
    BufferingValueSet working;  // as sanitised by the thread
    BufferingValueSet raw;      // exactly as read
    int32_t pollInterval = 5;   // 100 ms ticks between two poll cycles
    BufferingDoneFn onDone;     // empty: the thread destroys a finished request itself
    int64_t userData = 0;
};

// Messages of the buffering thread.
inline constexpr uint32_t kMsgBufCommReply = kUserMessage + 9;   // 1033: CommRequest
inline constexpr uint32_t kMsgBufSubmit = kUserMessage + 13;     // 1037: BufferingRequest
inline constexpr uint32_t kMsgBufCancel = kUserMessage + 15;     // 1039: wParam = Event* or 0
inline constexpr uint32_t kMsgBufAttach = kUserMessage + 20;     // 1044: wParam = Event*
inline constexpr uint32_t kMsgBufLineState = kUserMessage + 27;  // 1051: wParam = line state

// Entries of the version threshold list (numbered from 1) and their places in LinkEnvironment.
inline constexpr size_t kThresholdEntry1 = 0;
inline constexpr size_t kThresholdEntry2 = 1;
inline constexpr size_t kThresholdEntry4 = 3;

// Firmware below entry 4 lacks most buffering settings commands; below entry 1 it also has no
// buffering mode and always stops by itself.
inline bool IsOldBufferingFirmware(const LinkEnvironment& environment) {
    return !environment.IsVersionAtLeastThreshold(kThresholdEntry4);
}
inline bool IsVeryOldBufferingFirmware(const LinkEnvironment& environment) {
    return !environment.IsVersionAtLeastThreshold(kThresholdEntry1);
}

}  // namespace zul
