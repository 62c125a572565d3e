// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/CancellableGate.h"

namespace zul {

std::unique_ptr<CommRequest> CancellableGate::SubmitAndWait(std::unique_ptr<CommRequest> request) {
    {
        std::lock_guard lock(mutex_);
        if (cancelled_) {
            SetResult(&request->result, ZUL_ERR_ABORT);
            return request;
        }
        waiting_ = request.get();
    }
    request = gate_.SubmitAndWait(std::move(request));
    std::lock_guard lock(mutex_);
    waiting_ = nullptr;
    return request;
}

void CancellableGate::Cancel() {
    // Held while the controller withdraws the request, so that its waiter cannot destroy it
    // meanwhile; the controller never waits for the waiter, so this cannot deadlock.
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    if (waiting_ != nullptr) {
        gate_.CancelRequest(waiting_);
    }
}

bool CancellableGate::Cancelled() const {
    std::lock_guard lock(mutex_);
    return cancelled_;
}

}  // namespace zul
