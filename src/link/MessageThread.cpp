// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/MessageThread.h"

namespace zul {

MessageThread::MessageThread(std::string name, std::chrono::milliseconds tick)
    : name_(std::move(name)), tick_(tick) {}

MessageThread::~MessageThread() {
    // Derived classes must stop the thread in their own destructor (their OnMessage must not
    // run on a half-destroyed object); this is the last safety net.
    if (thread_.joinable()) {
        RequestStop();
        if (IsCurrentThread()) {
            thread_.detach();
        } else {
            thread_.join();
        }
    }
}

bool MessageThread::Start() {
    std::lock_guard lock(mutex_);
    if (started_ || stopping_) {
        return false;
    }
    started_ = true;
    thread_ = std::thread([this] { Run(); });
    threadId_ = thread_.get_id();
    return true;
}

bool MessageThread::Post(Message& message) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return false;
        }
        queue_.push_back(std::move(message));
    }
    cv_.notify_one();
    return true;
}

bool MessageThread::Post(uint32_t id, int64_t wParam, int64_t lParam,
                         std::unique_ptr<MessagePayload> payload) {
    Message message{id, wParam, lParam, std::move(payload)};
    return Post(message);
}

void MessageThread::RequestStop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    cv_.notify_one();
}

void MessageThread::Join() {
    if (thread_.joinable() && !IsCurrentThread()) {
        thread_.join();
    }
}

void MessageThread::Stop() {
    RequestStop();
    Join();
}

bool MessageThread::IsRunning() const {
    std::lock_guard lock(mutex_);
    return started_ && !finished_;
}

bool MessageThread::IsStopping() const {
    std::lock_guard lock(mutex_);
    return stopping_;
}

void MessageThread::SetTickInterval(std::chrono::milliseconds tick) {
    {
        std::lock_guard lock(mutex_);
        tick_ = tick;
    }
    cv_.notify_one();
}

void MessageThread::Run() {
    OnStart();
    Clock::time_point nextTick = Clock::now() + tick_;
    std::chrono::milliseconds lastTick = tick_;
    for (;;) {
        Message message;
        bool haveMessage = false;
        bool tickDue = false;
        {
            std::unique_lock lock(mutex_);
            for (;;) {
                if (tick_ != lastTick) {
                    lastTick = tick_;
                    nextTick = Clock::now() + tick_;
                }
                if (!queue_.empty()) {
                    message = std::move(queue_.front());
                    queue_.pop_front();
                    haveMessage = true;
                    break;
                }
                if (stopping_) {
                    break;
                }
                if (tick_.count() > 0) {
                    if (Clock::now() >= nextTick) {
                        tickDue = true;
                        break;
                    }
                    cv_.wait_until(lock, nextTick);
                } else {
                    cv_.wait(lock);
                }
            }
        }
        if (haveMessage) {
            OnMessage(message);
            continue;
        }
        if (tickDue) {
            // Keep the tick on its grid; ticks missed while busy are not replayed.
            Clock::time_point now = Clock::now();
            while (nextTick <= now) {
                nextTick += lastTick;
            }
            OnTick();
            continue;
        }
        break;  // stopping and the queue is drained
    }
    OnStop();
    std::lock_guard lock(mutex_);
    finished_ = true;
    queue_.clear();
}

}  // namespace zul
