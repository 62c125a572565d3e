// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the acquisition commands of qvm8ctl: number arguments, a queue that the
// worker threads' callbacks fill.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "CtlCommand.h"
#include "base/NumberText.h"

namespace zul::ctl {

// Reports a usage error of a command's arguments and returns its exit status.
inline int UsageFailure(const std::string& reason) {
    std::fprintf(stderr, "qvm8ctl: %s\n", reason.c_str());
    return kExitUsage;
}

// The whole text as a decimal integer within [low, high] (an optional sign, digits, nothing
// else: no blanks, no prefix), or nothing.
inline std::optional<int64_t> ParseInteger(const std::string& text, int64_t low, int64_t high) {
    int32_t value = 0;
    if (!ParseDecimalExact(text, value) || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// The whole text as a decimal real (an optional sign, digits and at most one point; no
// exponent, no blanks, no "inf" or "nan"), or nothing. The process locale plays no part.
inline std::optional<double> ParseReal(const std::string& text) {
    double value = 0.0;
    if (!ParseRealExact(text, value)) {
        return std::nullopt;
    }
    return value;
}

// A file named on the command line, taken relative to the working folder.
inline std::string CommandLinePath(const std::string& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute.string();
}

// Records handed back by a worker thread's callback, in arrival order.
template <class Record>
class Mailbox {
public:
    void Put(std::unique_ptr<Record> record) {
        std::lock_guard lock(mutex_);
        items_.push_back(std::move(record));
        cv_.notify_all();
    }
    // The next record, or null when none arrives within the time.
    std::unique_ptr<Record> Wait(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        if (!cv_.wait_for(lock, timeout, [this] { return !items_.empty(); })) {
            return nullptr;
        }
        auto item = std::move(items_.front());
        items_.pop_front();
        return item;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::unique_ptr<Record>> items_;
};

}  // namespace zul::ctl
