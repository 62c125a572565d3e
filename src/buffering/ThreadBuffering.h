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

    void OnSubmit(std::unique_ptr<BufferingRequest> request);
    void OnReply(std::unique_ptr<CommRequest> reply);
    void DropCurrent();
    void Run();
    bool RunPoll();
    bool RunReadState();
    bool RunReadData();
    bool RunTransfer(int output);
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
    int32_t step_ = 0;  // position inside the running sequence
    int32_t countdown_ = 0;
    BufferingValueSet working_;
    BufferingValueSet raw_;
    int32_t selfStop_ = 0;
    int32_t next_ = 1;        // number of the next value to read
    int32_t blockCount_ = 0;  // values asked for by the outstanding block
    int32_t transferOutput_ = 0;
    int slot_ = -1;  // slot the outstanding reply fills
    Field field_ = Field::kNone;
    int32_t lineState_ = 0;
    BufferingData* data_ = nullptr;
    std::atomic<int32_t> publishedState_{0};
};

}  // namespace zul
