// SPDX-License-Identifier: GPL-3.0-or-later
// The buffering worker thread: monitors a running buffering until every involved output is
// complete, reads the buffering state, and transfers the stored values of OUT1 and OUT2 into
// the attached BufferingData, in blocks of at most 2900 values per request. Every command is an
// asynchronous request through the gate whose completion comes back as a message.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>

#include "buffering/BufferingData.h"
#include "buffering/BufferingRequest.h"
#include "link/CommGate.h"
#include "link/CommRequest.h"
#include "link/LinkEnvironment.h"
#include "link/MessageThread.h"

namespace zul {

class CThreadBuffering : public MessageThread {
public:
    // The references must outlive the thread.
    CThreadBuffering(CommGate& gate, const LinkEnvironment& environment);
    ~CThreadBuffering() override;

    // Hands a request over; one that cannot be posted is destroyed without callback.
    void SubmitRequest(std::unique_ptr<BufferingRequest> request);
    // Drops the current request without callback and withdraws its command; returns once done.
    // Must not be called on this thread.
    void Cancel();
    // Stores the block (null detaches); returns once the thread has it.
    void AttachData(BufferingData* data);
    // The controller's line state (nonzero while on line).
    void SetLineState(int32_t lineState);

    // The state number, 0 when idle (for tests and diagnostics).
    int32_t State() const { return publishedState_.load(); }

protected:
    void OnMessage(Message& message) override;
    void OnTick() override;
    void OnStop() override;

private:
    // What a sent command's reply fills.
    enum class Field { kNone, kWord, kSigned11, kSelfStop, kValues };

    // The steps of the three sequences; each names what it reads or does. The monitoring poll
    // runs kReadBufferMode, kReadSelfStop, kReadTriggerType, the output states and
    // kEvaluatePoll; the state read kReadTriggerType, the output states and kDone; the data
    // read everything from kReadBufferMode to kReadTriggerType, the output states with their
    // trigger counts, then the transfer. The output steps run for output_ 0, then 1.
    enum class Step {
        kReadBufferMode,
        kReadSelfStop,
        kReadSamplingRate,
        kReadBufferingRate,
        kReadStoreCount,
        kReadTriggerPoint,
        kReadTriggerDelay,
        kReadOut1EventCondition,
        kReadOut2EventCondition,
        kReadTriggerType,
        kReadOutputState,
        kReadFinalDataPoint,
        kReadTriggerCount,
        kEvaluatePoll,
        kPrepareTransfer,
        kStartOutputTransfer,
        kTransferBlock,
        kDone,
    };

    void OnSubmit(std::unique_ptr<BufferingRequest> request);
    void OnReply(std::unique_ptr<CommRequest> reply);
    void DropCurrent();
    void Run();
    // Each Run* step returns true when it sent a command and waits for its reply.
    bool RunPoll();
    bool RunReadState();
    bool RunReadData();
    bool RunTransfer(int output);
    void EvaluatePoll();
    void PrepareTransfer();
    void StartOutputTransfer();
    // Trigger state, final data point and (withTriggerCount) trigger count of each involved
    // output; goes on with `after` past the last output.
    bool ReadOutputStates(Step after, bool withTriggerCount);
    void ReadTriggerTypeThenOutputs();
    void NextOutputOr(Step after);
    void SendAndGo(Step next, std::string_view command, int32_t target, int slot, Field field);
    // As SendAndGo, but on old firmware the slot takes oldValue instead (false: nothing sent).
    bool SendOrAssume(Step next, std::string_view command, int32_t target, int slot, Field field,
                      int32_t oldValue);
    void Send(std::string_view command, int32_t target, int slot, Field field);
    void SendText(std::string text, Field field);
    void Return(std::unique_ptr<BufferingRequest> request);
    void Finish(int32_t code);
    void Fail(const ResultInfo& result);
    void SendUpdate();
    void SetState(int32_t state);

    CommGate& gate_;
    const LinkEnvironment& environment_;

    // Touched on this thread only.
    std::unique_ptr<BufferingRequest> current_;
    const CommRequest* pending_ = nullptr;  // identity only
    int32_t state_ = 0;
    Step step_ = Step::kReadBufferMode;  // position inside the running sequence
    int32_t countdown_ = 0;
    BufferingValueSet working_;
    BufferingValueSet raw_;
    int32_t selfStop_ = 0;
    int32_t next_ = 1;        // number of the next value to read
    int32_t blockCount_ = 0;  // values asked for by the outstanding block
    int output_ = 0;          // the output the output steps and the transfer are at
    int slot_ = -1;           // slot the outstanding reply fills
    Field field_ = Field::kNone;
    int32_t lineState_ = 0;
    BufferingData* data_ = nullptr;
    std::atomic<int32_t> publishedState_{0};
};

}  // namespace zul
