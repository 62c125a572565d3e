// SPDX-License-Identifier: GPL-3.0-or-later
// The record between the communication controller and the raw communication thread: an outbound
// frame text to transmit, or an inbound received frame text.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/ResultInfo.h"
#include "link/MessageThread.h"

namespace zul {

struct LinkRecord;

// Called on the raw communication thread once the record has been transmitted or has failed;
// the callee owns the record.
using LinkSentFn = std::function<void(std::unique_ptr<LinkRecord>)>;

// What an inbound record tells its consumer.
enum class InboundKind : int32_t {
    kFrame = 0,           // text is a received frame text
    kReplyProgress = 1,   // bytes of a frame arrived that has not ended yet: a reply is in progress
    kDiscardedFrame = 2,  // a received frame was dropped; text holds it, reason says why
};

// Why a received frame, or a frame that matched no request, was dropped.
enum class DiscardReason : int32_t {
    kNone = 0,
    kBadBcc = 1,     // its block check did not match
    kBroken = 2,     // too short to be a frame
    kWrongEcho = 3,  // a reply, but not to the request outstanding
};

struct LinkRecord : MessagePayload {
    int32_t code = ZUL_OK;
    int32_t osError = 0;
    std::string detail1;
    std::string detail2;
    std::string text;    // frame text without BCC and terminator
    int32_t cursor = 0;  // write cursor (outbound) or read cursor (inbound, 0)
    LinkSentFn onSent;   // outbound only; may be empty
    InboundKind inbound = InboundKind::kFrame;    // inbound only
    DiscardReason reason = DiscardReason::kNone;  // kDiscardedFrame only
};

}  // namespace zul
