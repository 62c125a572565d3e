// SPDX-License-Identifier: GPL-3.0-or-later
#include "BufferWatch.h"

#include <memory>

#include "Outbox.h"
#include "StationPayloads.h"
#include "StationState.h"
#include "app/Application.h"
#include "buffering/BufferingData.h"
#include "buffering/BufferingProcedures.h"
#include "link/Event.h"
#include "link/ThreadCommControler.h"

namespace zul::station {

namespace {

// Runs one request on the buffering thread and waits for it to come back. The slot outlives a
// request that comes back after the wait has given up.
std::unique_ptr<BufferingRequest> RunBufferingRequest(CThreadBuffering& thread, int32_t kind) {
    struct Slot {
        Event done;
        std::unique_ptr<BufferingRequest> request;
    };
    auto slot = std::make_shared<Slot>();
    auto request = std::make_unique<BufferingRequest>();
    request->kind = kind;
    request->onDone = [slot](int64_t, std::unique_ptr<BufferingRequest> finished) {
        slot->request = std::move(finished);
        slot->done.Set();
    };
    thread.SubmitRequest(std::move(request));
    if (!slot->done.WaitFor(kBufferingRequestLimit)) {
        thread.Cancel();
        return nullptr;
    }
    return std::move(slot->request);
}

// Messages and payload bytes of a run, before it is read: blocks of 1000 values of at most
// about 12 characters each, and the closing message.
void EstimateRun(const BufferingValueSet& set, size_t& messages, uint64_t& bytes) {
    messages = 1;
    bytes = 512;
    for (int out = 0; out < 2; ++out) {
        if (!OutputInvolved(set[kSlotBufferType], out)) {
            continue;
        }
        const uint64_t values = static_cast<uint64_t>(set[BufferingValueSet::FinalDataPoint(out)]);
        messages += static_cast<size_t>((values + kValuesPerBlock - 1) / kValuesPerBlock);
        bytes += values * 14 + 256 * (values / kValuesPerBlock + 1);
    }
}

}  // namespace

BufferPollOutcome BufferWatch::Poll() {
    BufferPollOutcome outcome;
    CThreadCommControler* comm = app_.CommControler();
    CThreadBuffering* thread = app_.Buffering();
    if (comm == nullptr || thread == nullptr) {
        SetResult(&outcome.result, ZUL_ERR_OFFLINE);
        return outcome;
    }
    std::string error;
    bool running = false;
    if (CheckBufferingRunning(*comm, &running, &outcome.result) != ZUL_OK) {
        return outcome;
    }
    if (running && !state_.Armed() && !state_.SetArmed(true, error)) {
        outcome.note = "cannot keep the buffering state: " + error;
    }
    if (!state_.Armed()) {
        return outcome;  // nothing started since the last run was read
    }
    auto states = RunBufferingRequest(*thread, kReadState);
    if (!states) {
        SetResult(&outcome.result, ZUL_ERR_COMM_TIMEOUT);
        return outcome;
    }
    if (states->result.code != ZUL_OK) {
        outcome.result = states->result;
        return outcome;
    }
    const BufferingValueSet& set = states->working;
    bool complete = true;
    bool active = false;
    for (int out = 0; out < 2; ++out) {
        if (OutputInvolved(set[kSlotBufferType], out)) {
            const int32_t state = set[BufferingValueSet::StateRead(out)];
            complete = complete && state == 3;
            active = active || state == 1 || state == 2;
        }
    }
    if (!complete) {
        if (!running && !active) {
            // Stopped before anything was stored: there is nothing to read.
            state_.SetArmed(false, error);
            outcome.note = "buffering ended without values";
        }
        return outcome;
    }
    if (running && StopBuffering(*comm, &outcome.result) != ZUL_OK) {
        return outcome;
    }
    size_t messages = 0;
    uint64_t bytes = 0;
    EstimateRun(set, messages, bytes);
    if (!outbox_.HasRoom(messages, bytes)) {
        outcome.note = "the queue for the broker has no room for the buffered values (" +
                       std::to_string(messages) +
                       " messages); they stay on the controller until there is";
        return outcome;
    }
    auto data = std::make_unique<BufferingData>();
    thread->AttachData(data.get());
    auto read = RunBufferingRequest(*thread, kReadData);
    thread->AttachData(nullptr);
    if (!read) {
        SetResult(&outcome.result, ZUL_ERR_COMM_TIMEOUT);
        return outcome;
    }
    if (read->result.code == ZUL_ERR_NO_BUFF_DATA) {
        state_.SetArmed(false, error);
        outcome.note = "buffering ended without values";
        return outcome;
    }
    if (read->result.code != ZUL_OK) {
        outcome.result = read->result;
        return outcome;
    }
    const uint64_t run = state_.LastRun() + 1;
    std::vector<OutboxMessage> queued;
    {
        std::lock_guard lock(data->mutex);
        queued = BufferRunMessages(prefix_, run, *data, std::chrono::system_clock::now());
        outcome.values[0] = data->HeldCount(0);
        outcome.values[1] = data->HeldCount(1);
    }
    if (!outbox_.Add(queued, error)) {
        outcome.note = error + "; the buffered values stay on the controller";
        return outcome;
    }
    if (!state_.SetRunQueued(run, error)) {
        outcome.note = "cannot keep the buffering state: " + error;
    }
    outcome.queued = true;
    outcome.run = run;
    outcome.messages = queued.size();
    return outcome;
}

}  // namespace zul::station
