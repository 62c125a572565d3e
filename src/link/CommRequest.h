// SPDX-License-Identifier: GPL-3.0-or-later
// The record a requester hands to the communication controller: the request text, how its
// reply is recognised, and how the finished request goes back to the requester.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/ResultInfo.h"
#include "link/Event.h"
#include "link/MessageThread.h"

namespace zul {

struct CommRequest;

// Called on the controller thread with the finished request; it owns the request from then on.
using CommDoneFn = std::function<void(std::unique_ptr<CommRequest>)>;

struct CommRequest : MessagePayload {
    ResultInfo result;
    std::string command;         // request text without BCC and terminator, e.g. "%EE#RMC0"
    int32_t commandCursor = 0;   // write cursor: the text length once built
    int32_t echoMode = 0;        // 0 or 1, see MatchReply
    std::string reply;           // the accepted (or error) reply text, data at offset 7
    int32_t replyCursor = 0;     // read cursor; readers set it to 7
    CommDoneFn onDone;           // completion hand-back, or empty
    int64_t userData = 0;        // requester's own tag
    Event* doneEvent = nullptr;  // set by SubmitAndWait while its caller waits
};

}  // namespace zul
