// SPDX-License-Identifier: GPL-3.0-or-later
// The station's watch on its controller's buffering, one poll at a time on the station's
// worker thread (every poll blocks on the controller).
//
// A run counts once the station has seen it: buffering running ("%EE#RBS"), or an output still
// waiting for its trigger or storing. From then on the station is armed (kept in its state file).
// When every output the run involves is complete (state 3), or the run was stopped with values
// stored, the station stops the buffering as the buffering window does, reads the values,
// queues them for the broker on the disk as numbered blocks, and disarms. A run that ends
// without values disarms without a message. A run the station never saw running (one that was
// read before, or completed and stopped while no station watched) is not published again.
//
// When the queue for the broker has no room for a run, the values stay on the controller and
// the next poll tries again; they are lost only when the next buffering run starts first.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "base/ResultInfo.h"

namespace zul {
class Application;
}

namespace zul::station {

class Outbox;
class StationState;

struct BufferPollOutcome {
    ResultInfo result;    // a failed command (the controller's link, an error reply)
    bool queued = false;  // a run was read and queued
    uint64_t run = 0;     // its number
    size_t messages = 0;  // blocks and the closing message
    int32_t values[2] = {0, 0};
    std::string note;  // something worth a log line (no room, a run without values, ...)
};

class BufferWatch {
public:
    BufferWatch(Application& app, Outbox& outbox, StationState& state, std::string topicPrefix)
        : app_(app), outbox_(outbox), state_(state), prefix_(std::move(topicPrefix)) {}

    BufferPollOutcome Poll();

private:
    Application& app_;
    Outbox& outbox_;
    StationState& state_;
    std::string prefix_;
};

// Longest wait for one request of the buffering thread (a read of 2 x 65000 values at 9600
// bit/s takes a few minutes).
inline constexpr std::chrono::minutes kBufferingRequestLimit(15);

}  // namespace zul::station
