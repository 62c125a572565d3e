// SPDX-License-Identifier: GPL-3.0-or-later
#include "lightwave/ThreadLightWave.h"

#include "base/DiagnosticLog.h"

#include "link/Event.h"
#include "link/FieldCodec.h"
#include "link/Frame.h"

namespace zul {

CThreadLightWave::CThreadLightWave(CommGate& gate, const LinkEnvironment& environment)
    : MessageThread("LightWave"), gate_(gate), environment_(environment) {}

CThreadLightWave::~CThreadLightWave() {
    Stop();
}

void CThreadLightWave::SubmitCapture(std::unique_ptr<LightWaveRequest> request) {
    Post(kMsgLwSubmit, 0, 0, std::move(request));
}

void CThreadLightWave::Cancel() {
    Event done;
    if (Post(kMsgLwCancel, reinterpret_cast<int64_t>(&done))) {
        done.Wait();
    }
}

void CThreadLightWave::AttachData(LightWaveData* data) {
    Event done;
    if (Post(kMsgLwAttach, reinterpret_cast<int64_t>(&done), reinterpret_cast<int64_t>(data))) {
        done.Wait();
    }
}

void CThreadLightWave::SetLineState(int32_t lineState) {
    Post(kMsgLwLineState, lineState);
}

void CThreadLightWave::SetRepeating(int32_t repeating) {
    Post(kMsgLwRepeating, repeating);
}

void CThreadLightWave::OnMessage(Message& message) {
    switch (message.id) {
        case kMsgLwSubmit:
            OnSubmit(message.Take<LightWaveRequest>());
            break;
        case kMsgLwCommReply:
            OnReply(message.Take<CommRequest>());
            break;
        case kMsgLwCancel:
            DropCurrent();
            if (auto* done = reinterpret_cast<Event*>(message.wParam)) {
                done->Set();
            }
            break;
        case kMsgLwAttach:
            data_ = reinterpret_cast<LightWaveData*>(message.lParam);
            if (auto* done = reinterpret_cast<Event*>(message.wParam)) {
                done->Set();
            }
            break;
        case kMsgLwLineState:
            lineState_ = static_cast<int32_t>(message.wParam);
            break;
        case kMsgLwRepeating:
            repeating_ = static_cast<int32_t>(message.wParam);
            break;
        default:
            break;
    }
}

void CThreadLightWave::OnStop() {
    if (pending_ != nullptr) {
        gate_.CancelRequest(pending_);
        pending_ = nullptr;
    }
    if (current_) {
        ResultInfo aborted;
        SetResult(&aborted, ZUL_ERR_ABORT);
        Finish(aborted);
    }
}

void CThreadLightWave::SetState(LightWaveState state) {
    state_ = state;
    publishedState_.store(state);
}

void CThreadLightWave::DropCurrent() {
    if (pending_ != nullptr) {
        gate_.CancelRequest(pending_);
        pending_ = nullptr;
    }
    current_.reset();
    readList_.Clear();
    SetState(LightWaveState::kIdle);
}

void CThreadLightWave::Send(std::string text) {
    auto request = std::make_unique<CommRequest>();
    WriteText(request->command, request->commandCursor, text);
    request->echoMode = kEchoMode2Letters;
    request->onDone = [this](std::unique_ptr<CommRequest> done) {
        Post(kMsgLwCommReply, 0, 0, std::move(done));
    };
    pending_ = request.get();
    gate_.Submit(std::move(request));
}

void CThreadLightWave::OnSubmit(std::unique_ptr<LightWaveRequest> request) {
    if (!request || state_ != LightWaveState::kIdle) {
        return;  // a capture runs: dropped without notice
    }
    current_ = std::move(request);
    ClearResult(&current_->result);
    SetState(LightWaveState::kTriggerSent);
    Send(DataAreaWriteCommand(kCaptureTriggerAddress, {1}));
}

void CThreadLightWave::SendRead() {
    SetState(LightWaveState::kReadOutstanding);
    Send(DataAreaReadCommand(readList_.Reads()[nextRead_]));
}

void CThreadLightWave::OnReply(std::unique_ptr<CommRequest> reply) {
    bool waiting =
        state_ == LightWaveState::kTriggerSent || state_ == LightWaveState::kReadOutstanding;
    if (!reply || reply.get() != pending_) {
        return;  // not the outstanding command: dropped
    }
    if (!ExpectState(waiting && current_, "lightwave", "outstanding reply outside a capture")) {
        return;
    }
    pending_ = nullptr;
    if (reply->result.code != ZUL_OK) {
        Finish(reply->result);
        return;
    }
    if (state_ == LightWaveState::kTriggerSent) {
        SetState(LightWaveState::kTriggerDone);
        readList_.Clear();
        readList_.BuildCaptureList(
            environment_.IsVersionAtLeastThreshold(kLightWaveExtraWordsEntry));
        nextRead_ = 0;
        SendRead();
        return;
    }
    ResultInfo info;
    if (readList_.StoreReply(nextRead_, reply->reply, &info) != ZUL_OK) {
        Finish(info);
        return;
    }
    SetState(LightWaveState::kReadDone);
    if (++nextRead_ < readList_.Reads().size()) {
        SendRead();
        return;
    }
    SetState(LightWaveState::kAllReadsDone);
    LightWaveFrame headA;
    LightWaveFrame headB;
    const bool filled = readList_.FillFrames(headA, headB);
    ExpectState(filled, "lightwave", "frames not filled after the last read");
    if (filled && data_ != nullptr) {
        data_->StoreCurrentFrames(headA, headB);
    }
    Finish(info);
}

void CThreadLightWave::Finish(const ResultInfo& result) {
    std::unique_ptr<LightWaveRequest> request = std::move(current_);
    readList_.Clear();
    SetState(LightWaveState::kIdle);
    if (!ExpectState(request != nullptr, "lightwave", "capture finished without a request")) {
        return;
    }
    request->result = result;
    if (request->onDone) {
        LightWaveDoneFn done = request->onDone;
        int64_t userData = request->userData;
        done(userData, std::move(request));
    }
}

}  // namespace zul
