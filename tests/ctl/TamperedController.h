// SPDX-License-Identifier: GPL-3.0-or-later
// An emulated controller on a pseudo-terminal whose replies a test can damage: each request
// is answered by a SimController of its own, then the reply text passes through the test's
// tamper function and goes out with a correct block check. So the tool sees well-framed
// replies whose data is wrong (short, with a foreign character, or empty).
#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "SimController.h"
#include "link/LinkTestSupport.h"

namespace zul::test {

class TamperedController {
public:
    // Gets the request text (without block check and carriage return) and the reply text the
    // controller gave; returns the reply text to send.
    using Tamper = std::function<std::string(const std::string& request, std::string reply)>;

    TamperedController()
        : epoch_(std::chrono::steady_clock::now()),
          peer_([this](const std::string& request) { return Answer(request); }) {}

    const std::string& DevicePath() const { return peer_.SlavePath(); }

    void SetTamper(Tamper tamper) {
        std::lock_guard lock(mutex_);
        tamper_ = std::move(tamper);
    }
    // Requests received so far (without block check and carriage return).
    std::vector<std::string> Requests() {
        std::lock_guard lock(mutex_);
        return requests_;
    }

    // Damages: the reply data two characters short, one character replaced by a letter, or
    // no data at all (the reply keeps its echo).
    static std::string TwoShort(std::string reply) {
        reply.resize(reply.size() >= 9 ? reply.size() - 2 : reply.size());
        return reply;
    }
    static std::string LetterAt(std::string reply, size_t offset) {
        if (offset < reply.size()) {
            reply[offset] = 'Q';
        }
        return reply;
    }
    static std::string NoData(std::string reply) {
        size_t echo = reply.rfind("%EE$RD", 0) == 0 || reply.rfind("%EE$WD", 0) == 0 ? 6 : 7;
        reply.resize(std::min(reply.size(), echo));
        return reply;
    }

private:
    std::vector<PeerAction> Answer(const std::string& frame) {
        // The tool sends text, two block-check characters and a carriage return.
        std::string request = frame.size() >= 3 ? frame.substr(0, frame.size() - 3) : frame;
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        const int64_t now = std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::steady_clock::now() - epoch_)
                                .count();
        std::string reply = controller_.Handle(request, now).text;
        if (tamper_) {
            reply = tamper_(request, std::move(reply));
        }
        return {PeerAction::Write(ReplyFrame(reply))};
    }

    std::mutex mutex_;
    std::chrono::steady_clock::time_point epoch_;
    sim::SimController controller_;
    Tamper tamper_;
    std::vector<std::string> requests_;
    PtyPeer peer_;  // last: its thread stops before the rest goes
};

}  // namespace zul::test
