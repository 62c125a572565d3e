// SPDX-License-Identifier: GPL-3.0-or-later
// A CommGate in front of another one whose synchronous requests a second thread can cancel:
// Cancel withdraws the request a caller is waiting for in SubmitAndWait (the caller wakes with
// ZUL_ERR_ABORT at once instead of after the request's time-out) and refuses every later one
// with ZUL_ERR_ABORT before it is sent. Submit and CancelRequest pass straight through. Used by
// long runs of synchronous requests (the settings transfer) that a user or a shutdown may stop at
// any moment.
//
// A request that is being handed over at the very moment of the cancel may still be sent; it
// then ends as usual (reply or time-out), and nothing follows it.
#pragma once

#include <memory>
#include <mutex>

#include "link/CommGate.h"

namespace zul {

class CancellableGate : public CommGate {
public:
    // gate must outlive this object.
    explicit CancellableGate(CommGate& gate) : gate_(gate) {}

    std::unique_ptr<CommRequest> SubmitAndWait(std::unique_ptr<CommRequest> request) override;
    void Submit(std::unique_ptr<CommRequest> request) override { gate_.Submit(std::move(request)); }
    void CancelRequest(const CommRequest* request) override { gate_.CancelRequest(request); }

    // Callable from any thread except the communication threads; returns once the waiting
    // request (if any) has been withdrawn.
    void Cancel();
    bool Cancelled() const;

private:
    CommGate& gate_;
    mutable std::mutex mutex_;
    bool cancelled_ = false;
    // The request a caller waits for; it stays alive until the waiter has cleared this under
    // the lock, so Cancel may name it while it holds the lock.
    const CommRequest* waiting_ = nullptr;
};

}  // namespace zul
