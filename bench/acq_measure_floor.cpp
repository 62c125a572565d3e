// SPDX-License-Identifier: GPL-3.0-or-later
// The floor under bench_acq_measure: the thirteen requests of one measurement cycle sent by a
// bare client straight to an emulator paced at 115200 bit/s, one after another, each as soon
// as the previous reply is complete. What this takes beyond the line time is the emulator's
// own pacing cost, which the whole program's cycle also carries.
//   build/bench/bench_acq_measure_floor [cycles]
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

bool Exchange(int fd, const std::string& request, size_t* characters) {
    if (::write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        return false;
    }
    std::string reply;
    while (reply.empty() || reply.back() != '\r') {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0) {
            return false;
        }
        char buffer[256];
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            return false;
        }
        reply.append(buffer, static_cast<size_t>(n));
    }
    *characters += request.size() + reply.size();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int cycles = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const char* texts[] = {"%EE#RMB5",          "%EE#RZS3", "%EE#RZS4", "%EE#RDD0280702808",
                           "%EE#RDD0300703008", "%EE#RTI3", "%EE#RTI4", "%EE#RRS3",
                           "%EE#RRS4",          "%EE#RLR1", "%EE#RLR2", "%EE#ROA3",
                           "%EE#ROA4"};
    std::vector<std::string> requests;
    for (const char* t : texts) {
        requests.push_back(zul::Terminate(zul::AppendBcc(t)));
    }
    zul::sim::Simulator sim;
    sim.SetPace(true, 115200);
    zul::ResultInfo info;
    if (sim.StartPty(&info) != zul::ZUL_OK) {
        return 1;
    }
    int fd = ::open(sim.DevicePath().c_str(), O_RDWR | O_NOCTTY);
    termios t{};
    tcgetattr(fd, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, B115200);
    cfsetospeed(&t, B115200);
    tcsetattr(fd, TCSANOW, &t);
    std::vector<double> ratios;
    size_t characters = 0;
    for (int c = 0; c < cycles; ++c) {
        characters = 0;
        auto start = Clock::now();
        for (const std::string& r : requests) {
            if (!Exchange(fd, r, &characters)) {
                std::fprintf(stderr, "exchange failed\n");
                return 1;
            }
        }
        double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        ratios.push_back(elapsed / (characters * 10.0 / 115200.0));
    }
    ::close(fd);
    sim.Stop();
    std::sort(ratios.begin(), ratios.end());
    std::printf("characters per cycle %zu, wire %.2f ms; bare client elapsed/wire median %.3f\n",
                characters, characters * 10.0 / 115200.0 * 1000.0, ratios[ratios.size() / 2]);
    return 0;
}
