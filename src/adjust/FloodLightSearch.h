// SPDX-License-Identifier: GPL-3.0-or-later
// The automatic flood-light search of one head: start the search in the controller, poll its
// progress about once a second, and read and store the result once the controller reports the
// search ended. Driven by its owner's 100 ms ticks and by the completions of its polls, all on
// the owner's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "base/ResultInfo.h"
#include "link/CommGate.h"
#include "link/CommRequest.h"
#include "settings/SettingsStore.h"

namespace zul {

enum class FloodLightState : int32_t {
    kIdle = 0,
    kStarting = 1,
    kWaiting = 2,
    kPolling = 3,
    kReading = 4,
    kEnded = 5,
};

class FloodLightSearch {
public:
    // Called on the controller thread with a finished poll; the owner hands it back to
    // OnPollDone on its own thread (a poll it cannot hand back it destroys).
    using PollDelivery = std::function<void(std::unique_ptr<CommRequest>)>;

    inline static constexpr int32_t kPollTicks = 10;

    FloodLightSearch(CommGate& gate, SettingsStore& store, int32_t head, PollDelivery deliver);
    ~FloodLightSearch();
    FloodLightSearch(const FloodLightSearch&) = delete;
    FloodLightSearch& operator=(const FloodLightSearch&) = delete;

    // Sends the start command ("%EE#WFC", synchronous). Ignored (returns ZUL_ERR) unless idle or
    // ended. On failure the search has ended with that result.
    int32_t Start();
    // One 100 ms tick: while waiting, every tenth tick submits a progress poll.
    void Tick();
    // A finished poll. One that is not awaited is destroyed. A zero progress field reads the
    // result ("%EE#RFB") and stores it as FloodLightAjust of the bank in use; a result of 0 ends
    // the search with ZUL_ERR_FLOOD_LIGHT_SEARCH.
    void OnPollDone(std::unique_ptr<CommRequest> poll);
    // Withdraws an outstanding poll (the owner closes).
    void Close();

    FloodLightState State() const { return state_; }
    bool Ended() const { return state_ == FloodLightState::kEnded; }
    // The outcome once ended.
    const ResultInfo& Result() const { return result_; }
    // The search result read from the controller (valid when it was read).
    int32_t Value() const { return value_; }
    bool HasValue() const { return hasValue_; }

private:
    void End(int32_t code);

    CommGate& gate_;
    SettingsStore& store_;
    int32_t head_;
    PollDelivery deliver_;
    FloodLightState state_ = FloodLightState::kIdle;
    int32_t countdown_ = kPollTicks;
    const CommRequest* poll_ = nullptr;  // identity only
    ResultInfo result_;
    int32_t value_ = 0;
    bool hasValue_ = false;
};

}  // namespace zul
