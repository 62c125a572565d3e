// SPDX-License-Identifier: GPL-3.0-or-later
// A minimal client for the emulator tests: writes a request frame to the pseudo-terminal and
// reads until a carriage return, with a bounded wait. Independent of the tool's link threads.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "Simulator.h"

namespace zul::sim::test {

inline std::string WithBcc(const std::string& text) {
    uint8_t x = 0;
    for (unsigned char c : text) {
        x ^= c;
    }
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", x);
    return text + hex;
}

inline bool BccMatches(const std::string& frame) {
    if (frame.size() < 3) {
        return false;
    }
    return WithBcc(frame.substr(0, frame.size() - 2)) == frame;
}

class SimClient {
public:
    SimClient() = default;
    explicit SimClient(const std::string& path) { Open(path); }
    ~SimClient() { Close(); }
    SimClient(const SimClient&) = delete;
    SimClient& operator=(const SimClient&) = delete;

    bool Open(const std::string& path, speed_t speed = B115200) {
        Close();
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) {
            return false;
        }
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
        tcsetattr(fd_, TCSANOW, &t);
        return true;
    }
    void Close() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    int Fd() const { return fd_; }

    bool WriteRaw(const std::string& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                pollfd p{fd_, POLLOUT, 0};
                if (::poll(&p, 1, 1000) <= 0) {
                    return false;
                }
                continue;
            }
            done += static_cast<size_t>(n);
        }
        return true;
    }

    // Reads up to and including a carriage return; returns what came before it ("" on time-out,
    // in which case TimedOut() is true). Bytes after the carriage return stay for the next call.
    std::string ReadFrame(int timeoutMs = 2000) {
        timedOut_ = false;
        hungUp_ = false;
        reads_ = 0;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            size_t cr = pending_.find('\r');
            if (cr != std::string::npos) {
                std::string frame = pending_.substr(0, cr);
                pending_.erase(0, cr + 1);
                return frame;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
            if (left <= 0) {
                timedOut_ = true;
                return {};
            }
            pollfd p{fd_, POLLIN, 0};
            int r = ::poll(&p, 1, static_cast<int>(left));
            if (r <= 0) {
                continue;
            }
            if (p.revents & POLLIN) {
                char buffer[65536];
                ssize_t n = ::read(fd_, buffer, sizeof buffer);
                if (n > 0) {
                    ++reads_;
                    pending_.append(buffer, static_cast<size_t>(n));
                    continue;
                }
            }
            if (p.revents & (POLLHUP | POLLERR)) {
                hungUp_ = true;
                return {};
            }
        }
    }

    // Sends "text + BCC + CR" (or "**" when bcc is false) and returns the reply frame.
    std::string Request(const std::string& text, bool bcc = true, int timeoutMs = 2000) {
        WriteRaw((bcc ? WithBcc(text) : text + "**") + "\r");
        return ReadFrame(timeoutMs);
    }
    // The reply without its block check, checking that it matches.
    std::string Ask(const std::string& text) {
        std::string frame = Request(text);
        if (!BccMatches(frame)) {
            return "BAD BCC: " + frame;
        }
        return frame.substr(0, frame.size() - 2);
    }

    bool TimedOut() const { return timedOut_; }
    bool HungUp() const { return hungUp_; }
    int Reads() const { return reads_; }
    const std::string& Pending() const { return pending_; }

private:
    int fd_ = -1;
    std::string pending_;
    bool timedOut_ = false;
    bool hungUp_ = false;
    int reads_ = 0;
};

// A temporary folder, removed with its content at the end of the test.
class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/qvm8-sim-test-XXXXXX";
        char* made = ::mkdtemp(pattern);
        path_ = made ? made : "/tmp";
    }
    ~TempDir() {
        std::string command = "rm -rf '" + path_ + "'";
        [[maybe_unused]] int r = std::system(command.c_str());
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Delta decoding as a reader of "RLB" replies does it: first value 11 characters, then signed
// differences in millionths.
inline std::vector<double> DecodeBlock(const std::string& reply) {
    std::vector<double> values;
    if (reply.size() < 18) {
        return values;
    }
    double v = std::stod(reply.substr(7, 11));
    values.push_back(v);
    size_t pos = 18;
    while (pos < reply.size()) {
        int sign = 1;
        if (reply[pos] == '+' || reply[pos] == '-') {
            sign = reply[pos] == '-' ? -1 : 1;
            ++pos;
        }
        long long d = 0;
        while (pos < reply.size() && reply[pos] >= '0' && reply[pos] <= '9') {
            d = d * 10 + (reply[pos] - '0');
            ++pos;
        }
        double x = (sign * d * 0.000001 + v) * 1000000.0;
        double s = x < 0 ? -1.0 : 1.0;
        v = s * static_cast<double>(static_cast<long long>(std::fabs(x) + 0.01)) * 0.000001;
        values.push_back(v);
    }
    return values;
}

}  // namespace zul::sim::test
