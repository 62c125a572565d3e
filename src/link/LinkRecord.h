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

struct LinkRecord : MessagePayload {
    int32_t code = ZUL_OK;
    int32_t osError = 0;
    std::string detail1;
    std::string detail2;
    std::string text;    // frame text without BCC and terminator
    int32_t cursor = 0;  // write cursor (outbound) or read cursor (inbound, 0)
    LinkSentFn onSent;   // outbound only; may be empty
};

}  // namespace zul
