// SPDX-License-Identifier: GPL-3.0-or-later
// The record of one light-wave capture and the light-wave thread's message numbers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "base/ResultInfo.h"
#include "link/MessageThread.h"

namespace zul {

struct LightWaveRequest;

// Called on the light-wave thread with (user data, request); it owns the request from then on.
using LightWaveDoneFn = std::function<void(int64_t userData, std::unique_ptr<LightWaveRequest>)>;

struct LightWaveRequest : MessagePayload {
    ResultInfo result;
    LightWaveDoneFn onDone;  // empty: the thread destroys a finished request itself
    int64_t userData = 0;
};

inline constexpr uint32_t kMsgLwCommReply = kUserMessage + 9;   // 1033: CommRequest
inline constexpr uint32_t kMsgLwSubmit = kUserMessage + 13;     // 1037: LightWaveRequest
inline constexpr uint32_t kMsgLwCancel = kUserMessage + 15;     // 1039: wParam = Event*
inline constexpr uint32_t kMsgLwAttach = kUserMessage + 20;     // 1044: wParam = Event*
inline constexpr uint32_t kMsgLwLineState = kUserMessage + 27;  // 1051: wParam = line state
inline constexpr uint32_t kMsgLwRepeating = kUserMessage + 31;  // 1055: wParam = running

// Place in LinkEnvironment of entry 2 of the version threshold list: from it on, a capture
// also reads the extra words 44 and 45.
inline constexpr size_t kLightWaveExtraWordsEntry = 1;

}  // namespace zul
