// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/MessageThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <vector>

#include "link/Event.h"

namespace zul {
namespace {

using namespace std::chrono_literals;

struct Tracked : MessagePayload {
    explicit Tracked(std::atomic<int>* alive) : alive(alive) { ++*alive; }
    ~Tracked() override { --*alive; }
    std::atomic<int>* alive;
};

class Recorder : public MessageThread {
public:
    explicit Recorder(std::chrono::milliseconds tick = {}) : MessageThread("recorder", tick) {}
    ~Recorder() override { Stop(); }

    std::vector<int64_t> Seen() {
        std::lock_guard lock(mutex_);
        return seen_;
    }
    int Ticks() const { return ticks_; }
    bool stopRan = false;
    Event gate;          // when not set, message 2 blocks until it is
    Event firstHandled;  // set when message 2 starts
    Event tickEvent;
    std::atomic<int> ownedPayloads{0};

protected:
    void OnMessage(Message& message) override {
        if (message.id == 2) {
            firstHandled.Set();
            gate.Wait();
        }
        if (message.Take<Tracked>() != nullptr) {
            ++ownedPayloads;
        }
        std::lock_guard lock(mutex_);
        seen_.push_back(message.wParam);
    }
    void OnTick() override {
        if (++ticks_ >= 3) {
            tickEvent.Set();
        }
    }
    void OnStop() override { stopRan = true; }

private:
    std::mutex mutex_;
    std::vector<int64_t> seen_;
    std::atomic<int> ticks_{0};
};

TEST(MessageThread, HandlesMessagesInPostingOrder) {
    Recorder thread;
    thread.gate.Set();
    ASSERT_TRUE(thread.Start());
    for (int i = 0; i < 1000; ++i) {
        ASSERT_TRUE(thread.Post(1, i));
    }
    thread.Stop();
    std::vector<int64_t> seen = thread.Seen();
    ASSERT_EQ(seen.size(), 1000u);
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(seen[static_cast<size_t>(i)], i);
    }
    EXPECT_TRUE(thread.stopRan);
    EXPECT_FALSE(thread.IsRunning());
}

TEST(MessageThread, StopDrainsWhatWasQueuedAndRefusesLaterPosts) {
    std::atomic<int> alive{0};
    Recorder thread;
    ASSERT_TRUE(thread.Start());
    ASSERT_TRUE(thread.Post(2, 0));  // blocks the thread at the gate
    thread.firstHandled.Wait();
    for (int i = 1; i <= 5; ++i) {
        ASSERT_TRUE(thread.Post(1, i, 0, std::make_unique<Tracked>(&alive)));
    }
    thread.RequestStop();
    EXPECT_TRUE(thread.IsStopping());

    // After the stop request a post fails and the message stays with the sender.
    Message late{1, 99, 0, std::make_unique<Tracked>(&alive)};
    EXPECT_FALSE(thread.Post(late));
    ASSERT_NE(late.payload, nullptr);
    late.payload.reset();

    thread.gate.Set();
    thread.Join();
    EXPECT_EQ(thread.Seen(), (std::vector<int64_t>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(thread.ownedPayloads, 5);
    EXPECT_EQ(alive, 0);  // every payload destroyed exactly once
    EXPECT_FALSE(thread.Post(1, 100));
}

TEST(MessageThread, QueuedPayloadsAreFreedWhenNeverStarted) {
    std::atomic<int> alive{0};
    {
        Recorder thread;
        ASSERT_TRUE(thread.Post(1, 1, 0, std::make_unique<Tracked>(&alive)));
        EXPECT_EQ(alive, 1);
    }
    EXPECT_EQ(alive, 0);
}

TEST(MessageThread, StartTwiceAndStopTwice) {
    Recorder thread;
    thread.gate.Set();
    EXPECT_TRUE(thread.Start());
    EXPECT_FALSE(thread.Start());
    thread.Stop();
    thread.Stop();
    EXPECT_FALSE(thread.Start());
}

TEST(MessageThread, TicksArrivePeriodically) {
    Recorder thread(5ms);
    thread.gate.Set();
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.tickEvent.WaitFor(5s));
    thread.SetTickInterval(0ms);
    thread.Stop();
    EXPECT_GE(thread.Ticks(), 3);
}

TEST(MessageThread, NoTicksWithoutInterval) {
    Recorder thread;
    thread.gate.Set();
    ASSERT_TRUE(thread.Start());
    ASSERT_TRUE(thread.Post(1, 1));
    thread.Stop();
    EXPECT_EQ(thread.Ticks(), 0);
}

TEST(MessageThread, PostFromManyThreadsLosesNothing) {
    Recorder thread;
    thread.gate.Set();
    ASSERT_TRUE(thread.Start());
    std::vector<std::thread> senders;
    for (int t = 0; t < 4; ++t) {
        senders.emplace_back([&thread, t] {
            for (int i = 0; i < 250; ++i) {
                thread.Post(1, t * 1000 + i);
            }
        });
    }
    for (auto& s : senders) {
        s.join();
    }
    thread.Stop();
    std::vector<int64_t> seen = thread.Seen();
    ASSERT_EQ(seen.size(), 1000u);
    // Each sender's messages keep their relative order.
    for (int t = 0; t < 4; ++t) {
        int64_t last = -1;
        for (int64_t v : seen) {
            if (v / 1000 == t) {
                EXPECT_GT(v, last);
                last = v;
            }
        }
    }
}

TEST(Event, ManualReset) {
    Event event;
    EXPECT_FALSE(event.IsSet());
    EXPECT_FALSE(event.WaitFor(1ms));
    event.Set();
    EXPECT_TRUE(event.WaitFor(0ms));
    EXPECT_TRUE(event.WaitFor(0ms));  // stays set
    event.Reset();
    EXPECT_FALSE(event.IsSet());
    std::thread setter([&event] { event.Set(); });
    event.Wait();
    setter.join();
    EXPECT_TRUE(event.IsSet());
}

}  // namespace
}  // namespace zul
