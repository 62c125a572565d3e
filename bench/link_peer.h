// SPDX-License-Identifier: GPL-3.0-or-later
// A controller stand-in for the link benchmarks: the master side of a pseudo-terminal that
// answers every "%EE#RMC" request at once with "%EE$RMC00003".
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <thread>

#include "link/Frame.h"

namespace zul::bench {

class ImmediatePeer {
public:
    ImmediatePeer() {
        char name[256] = {};
        openpty(&master_, &slave_, name, nullptr, nullptr);
        path_ = name;
        termios tio{};
        tcgetattr(slave_, &tio);
        cfmakeraw(&tio);
        tcsetattr(slave_, TCSANOW, &tio);
        if (pipe(stop_) != 0) {
            return;
        }
        thread_ = std::thread([this] { Run(); });
    }
    ~ImmediatePeer() {
        char x = 0;
        ssize_t n = write(stop_[1], &x, 1);
        (void)n;
        thread_.join();
        for (int fd : {master_, slave_, stop_[0], stop_[1]}) {
            close(fd);
        }
    }
    const std::string& Path() const { return path_; }
    long Answered() const { return answered_.load(); }

private:
    void Run() {
        const std::string reply = Terminate(AppendBcc("%EE$RMC00003"));
        std::string pending;
        char buffer[4096];
        for (;;) {
            pollfd fds[2] = {{master_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
            if (poll(fds, 2, -1) <= 0) {
                continue;
            }
            if (fds[1].revents & POLLIN) {
                return;
            }
            ssize_t n = read(master_, buffer, sizeof(buffer));
            if (n <= 0) {
                continue;
            }
            pending.append(buffer, static_cast<size_t>(n));
            size_t cr;
            while ((cr = pending.find('\r')) != std::string::npos) {
                pending.erase(0, cr + 1);
                ssize_t w = write(master_, reply.data(), reply.size());
                (void)w;
                ++answered_;
            }
        }
    }

    int master_ = -1;
    int slave_ = -1;
    int stop_[2] = {-1, -1};
    std::string path_;
    std::thread thread_;
    std::atomic<long> answered_{0};
};

}  // namespace zul::bench
