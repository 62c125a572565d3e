// SPDX-License-Identifier: GPL-3.0-or-later
// What the request builders need from the communication controller: submit a request and wait
// for its end, or submit it and let it go.
#pragma once

#include <memory>

#include "link/CommRequest.h"

namespace zul {

class CommGate {
public:
    virtual ~CommGate() = default;
    // Blocks until the request has ended and returns it with its result and reply.
    virtual std::unique_ptr<CommRequest> SubmitAndWait(std::unique_ptr<CommRequest> request) = 0;
    // Hands the request over. It must have onDone set, or neither onDone nor doneEvent
    // (fire-and-forget: it is destroyed when it ends).
    virtual void Submit(std::unique_ptr<CommRequest> request) = 0;
    // Withdraws a submitted request, named by its address only, and returns once it is gone;
    // a request that has already ended is not touched.
    virtual void CancelRequest(const CommRequest* request) = 0;
};

}  // namespace zul
