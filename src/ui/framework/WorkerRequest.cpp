// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/framework/WorkerRequest.h"

namespace zul::ui {

WorkerRequestBase::WorkerRequestBase(uint32_t messageId, std::function<void()> cancel)
    : sink_(std::make_shared<QtWindowSink>()), messageId_(messageId), cancel_(std::move(cancel)) {}

WorkerRequestBase::~WorkerRequestBase() {
    sink_->Detach();
}

void WorkerRequestBase::Attach(QObject* window, Delivery delivery) {
    sink_->Attach(window, std::move(delivery));
}

bool WorkerRequestBase::IsOut() const {
    return out_ != nullptr && !token_.expired();
}

int64_t WorkerRequestBase::Issue(const void* request, std::weak_ptr<const void> token) {
    out_ = request;
    token_ = std::move(token);
    return ++sequence_;
}

bool WorkerRequestBase::Accept(int64_t sequence, const void* result) {
    if (closed_) {
        return false;
    }
    if (sequence == kAnySequence) {
        return true;
    }
    if (sequence != sequence_) {
        return false;  // of a request superseded or cancelled
    }
    if (result == out_ && !token_.expired()) {
        // The request itself came back: it is no longer out, and nothing of it follows.
        out_ = nullptr;
        token_.reset();
        return true;
    }
    return IsOut();  // a copy of the request out
}

void WorkerRequestBase::Forget() {
    out_ = nullptr;
    token_.reset();
    ++sequence_;
}

void WorkerRequestBase::Cancel() {
    if (IsOut() && cancel_) {
        cancel_();
    }
    Forget();
}

void WorkerRequestBase::Close() {
    if (closed_) {
        return;
    }
    if (cancel_) {
        cancel_();
    }
    Forget();
    closed_ = true;
    sink_->Detach();
}

}  // namespace zul::ui
