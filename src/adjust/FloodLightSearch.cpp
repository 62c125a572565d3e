// SPDX-License-Identifier: GPL-3.0-or-later
#include "adjust/FloodLightSearch.h"

#include "adjust/AdjustSequences.h"
#include "link/Commands.h"
#include "link/FieldCodec.h"
#include "link/Frame.h"
#include "link/RequestBuilders.h"

namespace zul {

FloodLightSearch::FloodLightSearch(CommGate& gate, SettingsStore& store, int32_t head,
                                   PollDelivery deliver)
    : gate_(gate), store_(store), head_(head), deliver_(std::move(deliver)) {}

FloodLightSearch::~FloodLightSearch() {
    Close();
}

int32_t FloodLightSearch::Start() {
    if (state_ != FloodLightState::kIdle && state_ != FloodLightState::kEnded) {
        return ZUL_ERR;
    }
    ClearResult(&result_);
    hasValue_ = false;
    value_ = 0;
    state_ = FloodLightState::kStarting;
    int32_t code = WriteWord(gate_, &result_, cmd::kWriteFloodLightSearch, HeadTarget(head_), 1);
    if (code != ZUL_OK) {
        state_ = FloodLightState::kEnded;
        return code;
    }
    state_ = FloodLightState::kWaiting;
    countdown_ = kPollTicks;
    return ZUL_OK;
}

void FloodLightSearch::Tick() {
    if (state_ != FloodLightState::kWaiting) {
        return;
    }
    if (countdown_ > 1) {
        --countdown_;
        return;
    }
    countdown_ = kPollTicks;
    auto request = MakeTargetRequest(cmd::kReadFloodLightProgress, HeadTarget(head_));
    PollDelivery deliver = deliver_;
    request->onDone = [deliver](std::unique_ptr<CommRequest> done) {
        if (deliver) {
            deliver(std::move(done));
        }
    };
    poll_ = request.get();
    state_ = FloodLightState::kPolling;
    gate_.Submit(std::move(request));
}

void FloodLightSearch::OnPollDone(std::unique_ptr<CommRequest> poll) {
    if (!poll || state_ != FloodLightState::kPolling || poll.get() != poll_) {
        return;
    }
    poll_ = nullptr;
    if (poll->result.code != ZUL_OK) {
        result_ = poll->result;
        state_ = FloodLightState::kEnded;
        return;
    }
    int32_t remaining = 0;
    if (!DecodeWordReply(poll->reply, remaining)) {
        SetMalformedReply(&result_, poll->command, poll->reply);
        state_ = FloodLightState::kEnded;
        return;
    }
    if (remaining != 0) {
        state_ = FloodLightState::kWaiting;  // still searching
        countdown_ = kPollTicks;
        return;
    }
    state_ = FloodLightState::kReading;
    int32_t value = 0;
    int32_t code = ReadWord(gate_, &result_, cmd::kReadFloodLightResult, HeadTarget(head_), &value);
    if (code != ZUL_OK) {
        state_ = FloodLightState::kEnded;
        return;
    }
    {
        auto lock = store_.Lock();
        store_.SetInt<kHeadFloodLightAjust>(value, store_.GetInt<kAppCurMemNo>(), head_);
    }
    value_ = value;
    hasValue_ = true;
    End(value == 0 ? ZUL_ERR_FLOOD_LIGHT_SEARCH : ZUL_OK);
}

void FloodLightSearch::Close() {
    if (poll_ != nullptr) {
        gate_.CancelRequest(poll_);
        poll_ = nullptr;
    }
    if (state_ == FloodLightState::kPolling) {
        state_ = FloodLightState::kEnded;
        SetResult(&result_, ZUL_ERR_ABORT);
    }
}

void FloodLightSearch::End(int32_t code) {
    SetResult(&result_, code);
    state_ = FloodLightState::kEnded;
}

}  // namespace zul
