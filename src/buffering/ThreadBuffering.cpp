// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffering/ThreadBuffering.h"

#include <utility>

#include "buffering/ReadDataRules.h"
#include "link/Commands.h"
#include "link/Event.h"
#include "link/FieldCodec.h"
#include "link/Frame.h"
#include "link/RequestBuilders.h"

namespace zul {

namespace {

constexpr int32_t kController = 0;
constexpr int32_t kCommon = 5;
constexpr int32_t kOut1 = 3;
constexpr int32_t kOut2 = 4;

// First state numbers of the sequences.
constexpr int32_t kStateIdle = 0;
constexpr int32_t kStateMonitoring = 1;
constexpr int32_t kStatePoll = 2;
constexpr int32_t kStateReadData = 17;
constexpr int32_t kStateReadState = 55;

constexpr int kNoSlot = -1;

}  // namespace

CThreadBuffering::CThreadBuffering(CommGate& gate, const LinkEnvironment& environment)
    : MessageThread("Buffering", std::chrono::milliseconds(100)),
      gate_(gate),
      environment_(environment) {}

CThreadBuffering::~CThreadBuffering() {
    Stop();
}

void CThreadBuffering::SubmitRequest(std::unique_ptr<BufferingRequest> request) {
    Post(kMsgBufSubmit, 0, 0, std::move(request));
}

void CThreadBuffering::Cancel() {
    Event done;
    if (Post(kMsgBufCancel, reinterpret_cast<int64_t>(&done))) {
        done.Wait();
    }
}

void CThreadBuffering::AttachData(BufferingData* data) {
    Event done;
    if (Post(kMsgBufAttach, reinterpret_cast<int64_t>(&done), reinterpret_cast<int64_t>(data))) {
        done.Wait();
    }
}

void CThreadBuffering::SetLineState(int32_t lineState) {
    Post(kMsgBufLineState, lineState);
}

void CThreadBuffering::OnMessage(Message& message) {
    switch (message.id) {
        case kMsgBufSubmit:
            OnSubmit(message.Take<BufferingRequest>());
            break;
        case kMsgBufCommReply:
            OnReply(message.Take<CommRequest>());
            break;
        case kMsgBufCancel:
            DropCurrent();
            if (auto* done = reinterpret_cast<Event*>(message.wParam)) {
                done->Set();
            }
            break;
        case kMsgBufAttach:
            data_ = reinterpret_cast<BufferingData*>(message.lParam);
            if (auto* done = reinterpret_cast<Event*>(message.wParam)) {
                done->Set();
            }
            break;
        case kMsgBufLineState:
            lineState_ = static_cast<int32_t>(message.wParam);
            break;
        default:
            break;
    }
}

void CThreadBuffering::OnTick() {
    if (state_ != kStateMonitoring || !current_) {
        return;
    }
    if (countdown_ > 0) {
        --countdown_;
    }
    if (countdown_ == 0) {
        SetState(kStatePoll);
        step_ = 0;
        Run();
    }
}

void CThreadBuffering::OnStop() {
    if (pending_ != nullptr) {
        gate_.CancelRequest(pending_);
        pending_ = nullptr;
    }
    if (current_) {
        std::unique_ptr<BufferingRequest> request = std::move(current_);
        SetResult(&request->result, ZUL_ERR_ABORT);
        Return(std::move(request));
    }
    SetState(kStateIdle);
}

void CThreadBuffering::SetState(int32_t state) {
    state_ = state;
    publishedState_.store(state);
}

void CThreadBuffering::Return(std::unique_ptr<BufferingRequest> request) {
    if (request && request->onDone) {
        BufferingDoneFn done = request->onDone;
        int64_t userData = request->userData;
        done(userData, std::move(request));
    }
}

void CThreadBuffering::DropCurrent() {
    if (pending_ != nullptr) {
        gate_.CancelRequest(pending_);
        pending_ = nullptr;
    }
    current_.reset();
    SetState(kStateIdle);
}

void CThreadBuffering::OnSubmit(std::unique_ptr<BufferingRequest> request) {
    if (!request) {
        return;
    }
    ClearResult(&request->result);
    bool idle = state_ == kStateIdle && !current_;
    int32_t start = kStateIdle;
    switch (request->kind) {
        case kStartMonitoring:
            if (!idle) {
                SetResult(&request->result, ZUL_ERR);
                Return(std::move(request));
                return;
            }
            countdown_ = request->pollInterval;
            start = kStateMonitoring;
            break;
        case kStopMonitoring:
            DropCurrent();
            Return(std::move(request));
            return;
        case kReadData:
        case kReadState:
            if (!idle) {
                SetResult(&request->result, ZUL_ERR_BUFFERING_BUSY);
                Return(std::move(request));
                return;
            }
            start = request->kind == kReadData ? kStateReadData : kStateReadState;
            break;
        default:
            SetResult(&request->result, ZUL_ERR);
            Return(std::move(request));
            return;
    }
    current_ = std::move(request);
    working_ = BufferingValueSet{};
    raw_ = BufferingValueSet{};
    selfStop_ = 0;
    step_ = 0;
    SetState(start);
    if (start != kStateMonitoring) {
        Run();
    }
}

void CThreadBuffering::SendText(std::string text, Field field) {
    auto request = std::make_unique<CommRequest>();
    WriteText(request->command, request->commandCursor, text);
    request->echoMode = kEchoMode3Letters;
    request->onDone = [this](std::unique_ptr<CommRequest> done) {
        Post(kMsgBufCommReply, 0, 0, std::move(done));
    };
    field_ = field;
    pending_ = request.get();
    gate_.Submit(std::move(request));
}

void CThreadBuffering::Send(std::string_view command, int32_t target, int slot, Field field) {
    std::string text(command);
    int32_t cursor = static_cast<int32_t>(text.size());
    WriteTarget(text, cursor, target);
    slot_ = slot;
    SendText(std::move(text), field);
}

void CThreadBuffering::OnReply(std::unique_ptr<CommRequest> reply) {
    if (!reply || reply.get() != pending_ || !current_) {
        return;  // not the outstanding command: dropped
    }
    pending_ = nullptr;
    if (reply->result.code != ZUL_OK) {
        Fail(reply->result);
        return;
    }
    switch (field_) {
        case Field::kWord:
        case Field::kSigned11:
        case Field::kSelfStop: {
            // A reply that does not decode ends the request; nothing of it is kept.
            int32_t value = 0;
            bool decoded = field_ == Field::kSigned11 ? DecodeLongReply(reply->reply, value)
                                                      : DecodeWordReply(reply->reply, value);
            if (!decoded) {
                ResultInfo info;
                SetMalformedReply(&info, reply->command, reply->reply);
                Fail(info);
                return;
            }
            if (field_ == Field::kSelfStop) {
                selfStop_ = value;
            } else if (slot_ != kNoSlot) {
                working_[slot_] = value;
                raw_[slot_] = value;
            }
            break;
        }
        case Field::kValues: {
            ResultInfo info;
            if (data_ == nullptr || StoreValueBlock(*data_, transferOutput_, next_, blockCount_,
                                                    reply->reply, &info) != ZUL_OK) {
                if (data_ == nullptr) {
                    SetResult(&info, ZUL_ERR);
                }
                Fail(info);
                return;
            }
            next_ += blockCount_;
            break;
        }
        case Field::kNone:
            break;
    }
    Run();
}

void CThreadBuffering::Fail(const ResultInfo& result) {
    std::unique_ptr<BufferingRequest> request = std::move(current_);
    SetState(kStateIdle);
    if (!request) {
        return;
    }
    request->result = result;
    if (lineState_ == 0) {
        SetResult(&request->result, ZUL_ERR_OFFLINE);
    }
    request->working = working_;
    request->raw = raw_;
    Return(std::move(request));
}

void CThreadBuffering::Finish(int32_t code) {
    std::unique_ptr<BufferingRequest> request = std::move(current_);
    SetState(kStateIdle);
    if (!request) {
        return;
    }
    SetResult(&request->result, code);
    request->working = working_;
    request->raw = raw_;
    Return(std::move(request));
}

void CThreadBuffering::SendUpdate() {
    if (!current_->onDone) {
        return;
    }
    auto copy = std::make_unique<BufferingRequest>();
    copy->kind = kMonitoringUpdate;
    copy->working = working_;
    copy->raw = raw_;
    copy->pollInterval = current_->pollInterval;
    copy->onDone = current_->onDone;
    copy->userData = current_->userData;
    Return(std::move(copy));
}

void CThreadBuffering::Run() {
    // Each step either sends one command and returns, or decides and moves on.
    while (current_ && pending_ == nullptr) {
        bool waiting = false;
        switch (state_) {
            case kStatePoll:
                waiting = RunPoll();
                break;
            case kStateReadData:
                waiting = RunReadData();
                break;
            case kStateReadState:
                waiting = RunReadState();
                break;
            default:
                return;  // idle or counting down
        }
        if (waiting) {
            return;
        }
    }
}

bool CThreadBuffering::RunPoll() {
    int32_t type = working_[kSlotBufferType];
    switch (step_) {
        case 0:
            if (IsOldBufferingFirmware(environment_)) {
                bool veryOld = IsVeryOldBufferingFirmware(environment_);
                working_[kSlotBufferMode] = raw_[kSlotBufferMode] = veryOld ? 0 : 2;
                selfStop_ = veryOld ? 1 : 0;
                step_ = 2;
                return false;
            }
            step_ = 1;
            Send(cmd::kReadBufferingData, kCommon, kSlotBufferMode, Field::kWord);
            return true;
        case 1:
            step_ = 2;
            if (working_[kSlotBufferMode] == 2) {
                selfStop_ = 0;
                return false;
            }
            Send(cmd::kReadStoreStop, kController, kNoSlot, Field::kSelfStop);
            return true;
        case 2:
            step_ = 3;
            Send(cmd::kReadTriggerType, kCommon, kSlotBufferType, Field::kWord);
            return true;
        case 3:
            if (type == kBufferTypeOut2) {
                step_ = 5;
                return false;
            }
            step_ = 4;
            Send(cmd::kReadTriggerState, kOut1, BufferingValueSet::StateRead(0), Field::kWord);
            return true;
        case 4:
            step_ = 5;
            Send(cmd::kReadFinalDataPoint, kOut1, BufferingValueSet::FinalDataPoint(0),
                 Field::kWord);
            return true;
        case 5:
            if (type == kBufferTypeOut1) {
                step_ = 7;
                return false;
            }
            step_ = 6;
            Send(cmd::kReadTriggerState, kOut2, BufferingValueSet::StateRead(1), Field::kWord);
            return true;
        case 6:
            step_ = 7;
            Send(cmd::kReadFinalDataPoint, kOut2, BufferingValueSet::FinalDataPoint(1),
                 Field::kWord);
            return true;
        default:
            break;
    }
    // Evaluate the cycle.
    bool complete = (type == kBufferTypeOut2 ||
                     working_[BufferingValueSet::StateRead(0)] == kOutputStateComplete) &&
                    (type == kBufferTypeOut1 ||
                     working_[BufferingValueSet::StateRead(1)] == kOutputStateComplete);
    bool selfStop = IsOldBufferingFirmware(environment_)
                        ? IsVeryOldBufferingFirmware(environment_)
                        : working_[kSlotBufferMode] != 2 && selfStop_ != 0;
    if (complete && selfStop) {
        current_->kind = kMonitoringComplete;
        Finish(ZUL_OK);
        return false;
    }
    SendUpdate();
    countdown_ = current_->pollInterval;
    SetState(kStateMonitoring);
    return false;
}

bool CThreadBuffering::RunReadState() {
    int32_t type = working_[kSlotBufferType];
    switch (step_) {
        case 0:
            step_ = 1;
            Send(cmd::kReadTriggerType, kCommon, kSlotBufferType, Field::kWord);
            return true;
        case 1:
            if (type == kBufferTypeOut2) {
                step_ = 3;
                return false;
            }
            step_ = 2;
            Send(cmd::kReadTriggerState, kOut1, BufferingValueSet::StateRead(0), Field::kWord);
            return true;
        case 2:
            step_ = 3;
            Send(cmd::kReadFinalDataPoint, kOut1, BufferingValueSet::FinalDataPoint(0),
                 Field::kWord);
            return true;
        case 3:
            if (type == kBufferTypeOut1) {
                step_ = 5;
                return false;
            }
            step_ = 4;
            Send(cmd::kReadTriggerState, kOut2, BufferingValueSet::StateRead(1), Field::kWord);
            return true;
        case 4:
            step_ = 5;
            Send(cmd::kReadFinalDataPoint, kOut2, BufferingValueSet::FinalDataPoint(1),
                 Field::kWord);
            return true;
        default:
            Finish(ZUL_OK);
            return false;
    }
}

bool CThreadBuffering::RunReadData() {
    bool old = IsOldBufferingFirmware(environment_);
    int32_t type = working_[kSlotBufferType];
    // Without the command on old firmware, the slot takes the given value.
    auto sendOrSet = [&](int32_t next, std::string_view command, int32_t target, int slot,
                         Field field, int32_t oldValue) {
        step_ = next;
        if (old) {
            working_[slot] = raw_[slot] = oldValue;
            return false;
        }
        Send(command, target, slot, field);
        return true;
    };
    switch (step_) {
        case 0:
            step_ = 1;
            Send(cmd::kReadBufferingData, kCommon, kSlotBufferMode, Field::kWord);
            return true;
        case 1:
            return sendOrSet(2, cmd::kReadSamplingRate, kCommon, kSlotSampleTriggerStoreNum,
                             Field::kWord, 1);
        case 2:
            step_ = 3;
            Send(cmd::kReadBufferingRate, kCommon, kSlotBufferRate, Field::kWord);
            return true;
        case 3:
            step_ = 4;
            Send(cmd::kReadBufferingCount, kCommon, kSlotStoreNum, Field::kWord);
            return true;
        case 4:
            return sendOrSet(5, cmd::kReadTriggerPoint, kCommon, kSlotTriggerPoint, Field::kWord,
                             10000);
        case 5:
            return sendOrSet(6, cmd::kReadTriggerDelay, kCommon, kSlotTriggerDelay,
                             Field::kSigned11, 0);
        case 6:
            return sendOrSet(7, cmd::kReadEventCondition, kOut1,
                             BufferingValueSet::EventCondition(0), Field::kWord, 0);
        case 7:
            return sendOrSet(8, cmd::kReadEventCondition, kOut2,
                             BufferingValueSet::EventCondition(1), Field::kWord, 0);
        case 8:
            step_ = 9;
            Send(cmd::kReadTriggerType, kCommon, kSlotBufferType, Field::kWord);
            return true;
        case 9:
        case 12: {
            int output = step_ == 9 ? 0 : 1;
            if (!OutputInvolved(type, output)) {
                step_ += 3;
                return false;
            }
            step_ += 1;
            Send(cmd::kReadTriggerState, output == 0 ? kOut1 : kOut2,
                 BufferingValueSet::StateRead(output), Field::kWord);
            return true;
        }
        case 10:
        case 13: {
            int output = step_ == 10 ? 0 : 1;
            step_ += 1;
            Send(cmd::kReadFinalDataPoint, output == 0 ? kOut1 : kOut2,
                 BufferingValueSet::FinalDataPoint(output), Field::kWord);
            return true;
        }
        case 11:
        case 14: {
            int output = step_ == 11 ? 0 : 1;
            return sendOrSet(step_ + 1, cmd::kReadTriggerCount, output == 0 ? kOut1 : kOut2,
                             BufferingValueSet::TriggerCount(output), Field::kWord, 0);
        }
        case 15:
            SanitiseReadDataSet(working_);
            if (!HasBufferedData(working_)) {
                Finish(ZUL_ERR_NO_BUFF_DATA);
                return false;
            }
            if (data_ == nullptr) {
                Finish(ZUL_ERR);  // nowhere to put the values
                return false;
            }
            BeginDataRead(*data_, working_);
            transferOutput_ = 0;
            step_ = 16;
            return false;
        case 16:
            if (transferOutput_ >= kBufferingOutputs) {
                step_ = 18;
                return false;
            }
            if (!OutputInvolved(type, transferOutput_)) {
                ++transferOutput_;
                return false;
            }
            BeginOutputTransfer(*data_, transferOutput_);
            next_ = 1;
            step_ = 17;
            return false;
        case 17:
            return RunTransfer(transferOutput_);
        default:
            Finish(ZUL_OK);
            return false;
    }
}

bool CThreadBuffering::RunTransfer(int output) {
    int32_t last = working_[BufferingValueSet::FinalDataPoint(output)];
    int32_t count = NextBlockCount(last, next_);
    if (count <= 0) {
        ++transferOutput_;
        step_ = 16;
        return false;
    }
    blockCount_ = count;
    SendText(ValueBlockCommand(output, next_, next_ + count - 1), Field::kValues);
    return true;
}

}  // namespace zul
