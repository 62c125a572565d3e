// SPDX-License-Identifier: GPL-3.0-or-later
// The light-wave worker thread: one capture triggers the controller's waveform area, reads it
// back (the frame area of both heads, and the two extra words on newer firmware) and stores the
// two frames as the current frames of the attached LightWaveData.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "lightwave/LightWaveData.h"
#include "lightwave/LightWaveReadList.h"
#include "lightwave/LightWaveRequest.h"
#include "link/CommGate.h"
#include "link/CommRequest.h"
#include "link/LinkEnvironment.h"
#include "link/MessageThread.h"

namespace zul {

enum class LightWaveState : int32_t {
    kIdle = 0,
    kTriggerSent = 1,
    kTriggerDone = 2,
    kReadOutstanding = 3,
    kReadDone = 4,
    kAllReadsDone = 5,
};

class CThreadLightWave : public MessageThread {
public:
    // The references must outlive the thread.
    CThreadLightWave(CommGate& gate, const LinkEnvironment& environment);
    ~CThreadLightWave() override;

    // Starts a capture; a request that arrives while one runs, or cannot be posted, is destroyed
    // without callback.
    void SubmitCapture(std::unique_ptr<LightWaveRequest> request);
    // Withdraws the outstanding command and drops the current request without callback;
    // returns once done. Must not be called on this thread.
    void Cancel();
    // Stores the block (null detaches); returns once the thread has it.
    void AttachData(LightWaveData* data);
    void SetLineState(int32_t lineState);
    void SetRepeating(int32_t repeating);

    LightWaveState State() const { return publishedState_.load(); }

protected:
    void OnMessage(Message& message) override;
    void OnStop() override;

private:
    void OnSubmit(std::unique_ptr<LightWaveRequest> request);
    void OnReply(std::unique_ptr<CommRequest> reply);
    void DropCurrent();
    void SendRead();
    void Send(std::string text);
    void Finish(const ResultInfo& result);
    void SetState(LightWaveState state);

    CommGate& gate_;
    const LinkEnvironment& environment_;

    // Touched on this thread only.
    std::unique_ptr<LightWaveRequest> current_;
    const CommRequest* pending_ = nullptr;  // identity only
    LightWaveState state_ = LightWaveState::kIdle;
    LightWaveReadList readList_;
    size_t nextRead_ = 0;
    LightWaveData* data_ = nullptr;
    int32_t lineState_ = 0;
    int32_t repeating_ = 0;
    std::atomic<LightWaveState> publishedState_{LightWaveState::kIdle};
};

}  // namespace zul
