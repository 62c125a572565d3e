// SPDX-License-Identifier: GPL-3.0-or-later
// A worker thread with a first-in-first-out queue of posted messages, an optional periodic
// tick and an orderly stop. Worker threads derive from it and handle their messages in one
// switch over named message constants.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace zul {

// First message number available to the system's own messages.
inline constexpr uint32_t kUserMessage = 1024;

// Base of every record that travels with a message. Whoever holds the unique_ptr owns it.
class MessagePayload {
public:
    virtual ~MessagePayload() = default;
};

struct Message {
    uint32_t id = 0;
    int64_t wParam = 0;
    int64_t lParam = 0;
    std::unique_ptr<MessagePayload> payload;

    // Takes the payload out as its concrete type; null when absent or of another type.
    template <class T>
    std::unique_ptr<T> Take() {
        T* typed = dynamic_cast<T*>(payload.get());
        if (typed == nullptr) {
            return nullptr;
        }
        payload.release();
        return std::unique_ptr<T>(typed);
    }
};

class MessageThread {
public:
    using Clock = std::chrono::steady_clock;

    // tick = 0 disables the periodic tick.
    explicit MessageThread(std::string name, std::chrono::milliseconds tick = {});
    virtual ~MessageThread();
    MessageThread(const MessageThread&) = delete;
    MessageThread& operator=(const MessageThread&) = delete;

    // Starts the thread; OnStart runs on it before the first message. False if already started
    // or stopped.
    bool Start();

    // Queues a message. On success the message (and its payload) is moved into the queue. On
    // failure (not started yet is fine; stopping or stopped is not) the message is left as it
    // was, so the sender still owns and destroys its payload.
    bool Post(Message& message);
    bool Post(Message&& message) { return Post(message); }
    bool Post(uint32_t id, int64_t wParam = 0, int64_t lParam = 0,
              std::unique_ptr<MessagePayload> payload = nullptr);

    // Orderly stop: refuses further posts, lets the thread handle every message posted before,
    // runs OnStop on the thread, and joins it. Safe to call more than once and from any thread
    // but the worker itself (from there it only requests the stop).
    void Stop();
    // Refuses further posts and wakes the thread to finish; does not wait.
    void RequestStop();
    // Waits for the thread to end after RequestStop.
    void Join();

    bool IsRunning() const;
    bool IsStopping() const;
    bool IsCurrentThread() const { return std::this_thread::get_id() == threadId_; }
    const std::string& Name() const { return name_; }

    // Changes the tick interval (0 = none). Takes effect from the next wait.
    void SetTickInterval(std::chrono::milliseconds tick);

protected:
    virtual void OnStart() {}
    virtual void OnMessage(Message& message) = 0;
    virtual void OnTick() {}
    virtual void OnStop() {}

private:
    void Run();

    std::string name_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Message> queue_;
    std::chrono::milliseconds tick_;
    bool started_ = false;
    bool stopping_ = false;
    bool finished_ = false;
    std::thread thread_;
    std::thread::id threadId_;
};

}  // namespace zul
