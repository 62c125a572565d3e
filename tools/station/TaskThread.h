// SPDX-License-Identifier: GPL-3.0-or-later
// Work handed between the station's threads as closures: a worker thread that runs the
// station's blocking jobs (connecting, reading all settings, reading buffered values) one after
// the other, and the message that carries a job's outcome back to the station thread.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "link/MessageThread.h"

namespace zul::station {

// A closure to run on the thread that receives it.
inline constexpr uint32_t kMsgRunTask = kUserMessage + 300;

struct Task : MessagePayload {
    std::function<void()> run;
};

inline std::unique_ptr<Task> MakeTask(std::function<void()> run) {
    auto task = std::make_unique<Task>();
    task->run = std::move(run);
    return task;
}

class TaskThread final : public MessageThread {
public:
    explicit TaskThread(std::string name) : MessageThread(std::move(name)) {}
    ~TaskThread() override { Stop(); }

    // False when the thread takes no more work (the job is then dropped).
    bool PostTask(std::function<void()> run) {
        return Post(kMsgRunTask, 0, 0, MakeTask(std::move(run)));
    }

protected:
    void OnMessage(Message& message) override {
        switch (message.id) {
            case kMsgRunTask:
                if (auto task = message.Take<Task>()) {
                    task->run();
                }
                break;
            default:
                break;
        }
    }
};

}  // namespace zul::station
