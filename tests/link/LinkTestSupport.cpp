// SPDX-License-Identifier: GPL-3.0-or-later
#include "LinkTestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "link/Frame.h"

namespace zul::test {

TempHome::TempHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvm8-link-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    path_ = made != nullptr ? made : "";
    setenv("HOME", path_.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (path_ + "/config").c_str(), 1);
    setenv("XDG_STATE_HOME", (path_ + "/state").c_str(), 1);
    setenv("XDG_CACHE_HOME", (path_ + "/cache").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (path_ + "/run").c_str(), 1);
}

TempHome::~TempHome() {
    std::error_code ignored;
    if (!path_.empty()) {
        std::filesystem::remove_all(path_, ignored);
    }
}

bool RecordingWindow::PostWindowMessage(uint32_t id, int64_t wParam, int64_t,
                                        std::unique_ptr<MessagePayload>&) {
    std::lock_guard lock(mutex_);
    messages_.emplace_back(id, wParam);
    cv_.notify_all();
    return true;
}

std::vector<std::pair<uint32_t, int64_t>> RecordingWindow::WaitFor(
    size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, timeout, [&] { return messages_.size() >= count; });
    return messages_;
}

size_t RecordingWindow::Count() {
    std::lock_guard lock(mutex_);
    return messages_.size();
}

void TraceLines::Add(std::string_view line) {
    std::lock_guard lock(mutex_);
    lines_.emplace_back(line);
    cv_.notify_all();
}

std::vector<std::string> TraceLines::WaitFor(size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, timeout, [&] { return lines_.size() >= count; });
    return lines_;
}

std::vector<std::string> TraceLines::Lines() {
    std::lock_guard lock(mutex_);
    return lines_;
}

std::string ReplyFrame(std::string_view text) {
    return Terminate(AppendBcc(text));
}

PtyPeer::PtyPeer(Handler handler) : handler_(std::move(handler)) {
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0) {
        return;
    }
    slavePath_ = name;
    termios tio{};
    tcgetattr(slave_, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave_, TCSANOW, &tio);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    if (pipe(stopPipe_) != 0) {
        return;
    }
    thread_ = std::thread([this] { Run(); });
}

PtyPeer::~PtyPeer() {
    if (stopPipe_[1] >= 0) {
        char x = 0;
        ssize_t n = write(stopPipe_[1], &x, 1);
        (void)n;
    }
    if (thread_.joinable()) {
        thread_.join();
    }
    for (int fd : {master_, slave_, stopPipe_[0], stopPipe_[1]}) {
        if (fd >= 0) {
            close(fd);
        }
    }
}

std::vector<std::string> PtyPeer::WaitForRequests(size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    cv_.wait_for(lock, timeout, [&] { return requests_.size() >= count; });
    return requests_;
}

std::vector<std::string> PtyPeer::Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
}

bool PtyPeer::Overlapped() {
    std::lock_guard lock(mutex_);
    return overlapped_;
}

void PtyPeer::HangUp() {
    std::lock_guard lock(mutex_);
    hungUp_ = true;
    char x = 1;
    ssize_t n = write(stopPipe_[1], &x, 1);
    (void)n;
}

// Performs one action; false when the peer should stop.
bool PtyPeer::Act(const PeerAction& action) {
    switch (action.kind) {
        case PeerAction::kWrite: {
            size_t done = 0;
            while (done < action.bytes.size()) {
                ssize_t n = write(master_, action.bytes.data() + done, action.bytes.size() - done);
                if (n > 0) {
                    done += static_cast<size_t>(n);
                } else {
                    pollfd out{master_, POLLOUT, 0};
                    poll(&out, 1, 100);
                }
            }
            return true;
        }
        case PeerAction::kDelay: {
            auto until =
                std::chrono::steady_clock::now() + std::chrono::milliseconds(action.delayMs);
            for (;;) {
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    until - std::chrono::steady_clock::now());
                if (left.count() <= 0) {
                    return true;
                }
                pollfd in{master_, POLLIN, 0};
                if (poll(&in, 1, static_cast<int>(left.count())) > 0 && (in.revents & POLLIN)) {
                    char buffer[4096];
                    ssize_t n = read(master_, buffer, sizeof(buffer));
                    if (n > 0) {
                        std::lock_guard lock(mutex_);
                        overlapped_ = true;
                        pendingInput_.append(buffer, static_cast<size_t>(n));
                    }
                }
            }
        }
        case PeerAction::kHangUp:
            close(master_);
            master_ = -1;
            close(slave_);
            slave_ = -1;
            return false;
    }
    return true;
}

void PtyPeer::Run() {
    char buffer[4096];
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (hungUp_) {
                close(master_);
                master_ = -1;
                close(slave_);
                slave_ = -1;
                return;
            }
        }
        // Handle every complete request already buffered.
        for (;;) {
            std::string request;
            {
                std::lock_guard lock(mutex_);
                size_t cr = pendingInput_.find('\r');
                if (cr == std::string::npos) {
                    break;
                }
                request = pendingInput_.substr(0, cr + 1);
                pendingInput_.erase(0, cr + 1);
                requests_.push_back(request);
                cv_.notify_all();
            }
            for (const PeerAction& action : handler_(request)) {
                if (!Act(action)) {
                    return;
                }
            }
        }
        pollfd fds[2] = {{master_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
        if (poll(fds, 2, 1000) <= 0) {
            continue;
        }
        if (fds[1].revents & POLLIN) {
            char x = 0;
            ssize_t n = read(stopPipe_[0], &x, 1);
            if (n > 0 && x == 1) {
                continue;  // hang-up requested: handled at the top
            }
            return;
        }
        if (fds[0].revents & POLLIN) {
            ssize_t n = read(master_, buffer, sizeof(buffer));
            if (n > 0) {
                std::lock_guard lock(mutex_);
                pendingInput_.append(buffer, static_cast<size_t>(n));
            }
        }
    }
}

void PointLink(const std::string& link, const std::string& target) {
    std::string temporary = link + ".new";
    std::filesystem::remove(temporary);
    std::filesystem::create_symlink(target, temporary);
    std::filesystem::rename(temporary, link);
}

}  // namespace zul::test
