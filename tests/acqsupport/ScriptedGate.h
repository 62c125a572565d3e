// SPDX-License-Identifier: GPL-3.0-or-later
// A gate that plays the controller from a handler: every request is answered with the frame
// the handler gives (matched as the controller thread matches it) or failed with a code.
// Asynchronous requests are answered at once on the submitting thread, or, while holding is
// on, kept until the test releases them (to test late replies and cancels).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "link/CommGate.h"
#include "link/Frame.h"

namespace zul::test {

class ScriptedGate : public CommGate {
public:
    struct Answer {
        int32_t code = ZUL_OK;
        std::string frame;  // reply frame text without BCC and CR
    };
    using Handler = std::function<Answer(const std::string& command)>;

    explicit ScriptedGate(Handler handler) : handler_(std::move(handler)) {}

    std::unique_ptr<CommRequest> SubmitAndWait(std::unique_ptr<CommRequest> request) override {
        Record(request->command);
        Answer answer = handler_(request->command);
        Apply(*request, answer);
        return request;
    }

    void Submit(std::unique_ptr<CommRequest> request) override {
        Record(request->command);
        if (!request->onDone) {
            std::lock_guard lock(mutex_);
            posted_.push_back(request->command);
            return;
        }
        {
            std::lock_guard lock(mutex_);
            if (hold_) {
                held_.push_back(std::move(request));
                cv_.notify_all();
                return;
            }
        }
        Answer answer = handler_(request->command);
        Apply(*request, answer);
        CommDoneFn done = request->onDone;
        done(std::move(request));
    }

    void CancelRequest(const CommRequest* request) override {
        std::unique_ptr<CommRequest> gone;
        std::lock_guard lock(mutex_);
        ++cancels_;
        for (auto it = held_.begin(); it != held_.end(); ++it) {
            if (it->get() == request) {
                gone = std::move(*it);
                held_.erase(it);
                break;
            }
        }
    }

    void SetHold(bool hold) {
        std::lock_guard lock(mutex_);
        hold_ = hold;
    }
    // Waits until a request is held and hands it out (still unanswered).
    std::unique_ptr<CommRequest> TakeHeld(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        if (!cv_.wait_for(lock, timeout, [this] { return !held_.empty(); })) {
            return nullptr;
        }
        auto request = std::move(held_.front());
        held_.pop_front();
        return request;
    }
    // Answers a request taken with TakeHeld and completes it.
    void Complete(std::unique_ptr<CommRequest> request) {
        Answer answer = handler_(request->command);
        Apply(*request, answer);
        CommDoneFn done = request->onDone;
        done(std::move(request));
    }
    size_t HeldCount() {
        std::lock_guard lock(mutex_);
        return held_.size();
    }

    std::vector<std::string> Commands() {
        std::lock_guard lock(mutex_);
        return commands_;
    }
    std::vector<std::string> Posted() {
        std::lock_guard lock(mutex_);
        return posted_;
    }
    int Cancels() {
        std::lock_guard lock(mutex_);
        return cancels_;
    }
    // Commands that start with the prefix.
    size_t CountOf(const std::string& prefix) {
        std::lock_guard lock(mutex_);
        size_t n = 0;
        for (const auto& c : commands_) {
            n += c.rfind(prefix, 0) == 0 ? 1 : 0;
        }
        return n;
    }

private:
    void Record(const std::string& command) {
        std::lock_guard lock(mutex_);
        commands_.push_back(command);
    }
    static void Apply(CommRequest& request, const Answer& answer) {
        if (answer.code != ZUL_OK) {
            request.result.code = answer.code;
            return;
        }
        MatchResult match = MatchReply(request.command, request.echoMode, answer.frame);
        EXPECT_NE(match.kind, ReplyMatch::kNotReply) << request.command << " / " << answer.frame;
        if (match.kind == ReplyMatch::kError) {
            request.result.code = ZUL_ERR_COMM_RES;
            request.result.osError = match.errorCode;
            request.reply = answer.frame;
        } else {
            request.reply = match.text;
        }
    }

    Handler handler_;
    std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<std::string> commands_;
    std::vector<std::string> posted_;
    std::deque<std::unique_ptr<CommRequest>> held_;
    bool hold_ = false;
    int cancels_ = 0;
};

// Collects requests handed back by a worker thread's callback; the test waits for them.
template <class Request>
class Returned {
public:
    void Put(std::unique_ptr<Request> request) {
        std::lock_guard lock(mutex_);
        items_.push_back(std::move(request));
        cv_.notify_all();
    }
    std::unique_ptr<Request> Wait(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::unique_lock lock(mutex_);
        if (!cv_.wait_for(lock, timeout, [this] { return !items_.empty(); })) {
            return nullptr;
        }
        auto item = std::move(items_.front());
        items_.pop_front();
        return item;
    }
    size_t Count() {
        std::lock_guard lock(mutex_);
        return items_.size();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::unique_ptr<Request>> items_;
};

}  // namespace zul::test
