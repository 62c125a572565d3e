// SPDX-License-Identifier: GPL-3.0-or-later
// A manual-reset event: once Set, every waiter passes until Reset.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace zul {

class Event {
public:
    Event() = default;
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    // Notifies while holding the lock: a waiter that returns may destroy the event at once
    // (events of synchronous calls live on the waiter's stack).
    void Set() {
        std::lock_guard lock(mutex_);
        set_ = true;
        cv_.notify_all();
    }
    void Reset() {
        std::lock_guard lock(mutex_);
        set_ = false;
    }
    bool IsSet() const {
        std::lock_guard lock(mutex_);
        return set_;
    }
    void Wait() {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [this] { return set_; });
    }
    // True when the event was set within the time.
    bool WaitFor(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, timeout, [this] { return set_; });
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool set_ = false;
};

}  // namespace zul
