// SPDX-License-Identifier: GPL-3.0-or-later
// How closely the emulator's --pace follows the line speed: for several speeds, the time a
// reply takes to arrive (first to last byte) and a whole request/reply exchange, against what
// the line would take (10 bits per character, 8N1).
//   build/bench/bench_sim_pace [repetitions]
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Simulator.h"
#include "link/Frame.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Measurement {
    double replyMs = 0;     // first reply byte to last
    double exchangeMs = 0;  // request written to last reply byte
    size_t requestBytes = 0;
    size_t replyBytes = 0;
};

bool Exchange(int fd, const std::string& request, Measurement* m) {
    auto start = Clock::now();
    if (::write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        return false;
    }
    std::string reply;
    Clock::time_point first;
    while (reply.empty() || reply.back() != '\r') {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0) {
            return false;
        }
        char buffer[4096];
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            return false;
        }
        if (reply.empty()) {
            first = Clock::now();
        }
        reply.append(buffer, static_cast<size_t>(n));
    }
    auto last = Clock::now();
    m->replyMs = std::chrono::duration<double, std::milli>(last - first).count();
    m->exchangeMs = std::chrono::duration<double, std::milli>(last - start).count();
    m->requestBytes = request.size();
    m->replyBytes = reply.size();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    struct Speed {
        speed_t constant;
        int baud;
    };
    const Speed speeds[] = {{B9600, 9600}, {B19200, 19200}, {B38400, 38400}, {B115200, 115200}};
    // 200 registers: a reply of 6 + 800 + 2 + 1 bytes.
    std::string request = zul::Terminate(zul::AppendBcc("%EE#RDD0300003199"));

    std::printf("%8s %6s %6s %12s %12s %8s %12s %12s %8s\n", "baud", "in", "out", "reply ms",
                "line ms", "error", "exchange ms", "line ms", "error");
    int status = 0;
    for (const Speed& s : speeds) {
        zul::sim::Simulator sim;
        sim.SetPace(true);
        zul::ResultInfo info;
        if (sim.StartPty(&info) != zul::ZUL_OK) {
            std::fprintf(stderr, "cannot start the emulator\n");
            return 1;
        }
        int fd = ::open(sim.DevicePath().c_str(), O_RDWR | O_NOCTTY);
        termios t{};
        tcgetattr(fd, &t);
        cfmakeraw(&t);
        cfsetispeed(&t, s.constant);
        cfsetospeed(&t, s.constant);
        tcsetattr(fd, TCSANOW, &t);
        double characterMs = 10.0 * 1000.0 / s.baud;
        std::vector<Measurement> runs;
        for (int i = 0; i < repetitions; ++i) {
            Measurement m;
            if (!Exchange(fd, request, &m)) {
                std::fprintf(stderr, "exchange failed at %d baud\n", s.baud);
                status = 1;
                break;
            }
            runs.push_back(m);
        }
        ::close(fd);
        sim.Stop();
        if (runs.empty()) {
            continue;
        }
        std::sort(runs.begin(), runs.end(),
                  [](const Measurement& a, const Measurement& b) { return a.replyMs < b.replyMs; });
        const Measurement& m = runs[runs.size() / 2];  // median
        // The first byte is read once it has fully arrived; the rest follow one per character.
        double replyLine = (m.replyBytes - 1) * characterMs;
        double exchangeLine = (m.requestBytes + m.replyBytes) * characterMs;
        std::printf("%8d %6zu %6zu %12.2f %12.2f %7.2f%% %12.2f %12.2f %7.2f%%\n", s.baud,
                    m.requestBytes, m.replyBytes, m.replyMs, replyLine,
                    100.0 * (m.replyMs - replyLine) / replyLine, m.exchangeMs, exchangeLine,
                    100.0 * (m.exchangeMs - exchangeLine) / exchangeLine);
    }
    return status;
}
