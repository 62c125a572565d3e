// SPDX-License-Identifier: GPL-3.0-or-later
#include "buffering/ThreadBuffering.h"

#include <utility>

#include "base/DiagnosticLog.h"
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
        step_ = Step::kReadBufferMode;
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
    step_ = start == kStateReadState ? Step::kReadTriggerType : Step::kReadBufferMode;
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
    if (!reply || reply.get() != pending_) {
        return;  // not the outstanding command: dropped
    }
    if (!ExpectState(current_ != nullptr, "buffering", "outstanding reply without a request")) {
        return;
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
            if (data_ == nullptr || StoreValueBlock(*data_, output_, next_, blockCount_,
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
    if (!ExpectState(request != nullptr, "buffering", "failure without a request")) {
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
    if (!ExpectState(request != nullptr, "buffering", "end without a request")) {
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

void CThreadBuffering::SendAndGo(Step next, std::string_view command, int32_t target, int slot,
                                 Field field) {
    step_ = next;
    Send(command, target, slot, field);
}

bool CThreadBuffering::SendOrAssume(Step next, std::string_view command, int32_t target, int slot,
                                    Field field, int32_t oldValue) {
    step_ = next;
    if (IsOldBufferingFirmware(environment_)) {
        // Old firmware has no such command: the slot takes the value it implies.
        working_[slot] = raw_[slot] = oldValue;
        return false;
    }
    Send(command, target, slot, field);
    return true;
}

void CThreadBuffering::ReadTriggerTypeThenOutputs() {
    output_ = 0;
    SendAndGo(Step::kReadOutputState, cmd::kReadTriggerType, kCommon, kSlotBufferType,
              Field::kWord);
}

void CThreadBuffering::NextOutputOr(Step after) {
    if (output_ == 0) {
        output_ = 1;
        step_ = Step::kReadOutputState;
    } else {
        step_ = after;
    }
}

bool CThreadBuffering::ReadOutputStates(Step after, bool withTriggerCount) {
    const int output = output_;
    const int32_t target = output == 0 ? kOut1 : kOut2;
    switch (step_) {
        case Step::kReadOutputState:
            if (!OutputInvolved(working_[kSlotBufferType], output)) {
                NextOutputOr(after);
                return false;
            }
            SendAndGo(Step::kReadFinalDataPoint, cmd::kReadTriggerState, target,
                      BufferingValueSet::StateRead(output), Field::kWord);
            return true;
        case Step::kReadFinalDataPoint:
            if (withTriggerCount) {
                step_ = Step::kReadTriggerCount;
            } else {
                NextOutputOr(after);
            }
            Send(cmd::kReadFinalDataPoint, target, BufferingValueSet::FinalDataPoint(output),
                 Field::kWord);
            return true;
        case Step::kReadTriggerCount:
            NextOutputOr(after);
            return SendOrAssume(step_, cmd::kReadTriggerCount, target,
                                BufferingValueSet::TriggerCount(output), Field::kWord, 0);
        default:
            ExpectState(false, "buffering", "output step outside the output reads");
            Finish(ZUL_ERR);
            return false;
    }
}

bool CThreadBuffering::RunPoll() {
    switch (step_) {
        case Step::kReadBufferMode:
            if (IsOldBufferingFirmware(environment_)) {
                bool veryOld = IsVeryOldBufferingFirmware(environment_);
                working_[kSlotBufferMode] = raw_[kSlotBufferMode] = veryOld ? 0 : 2;
                selfStop_ = veryOld ? 1 : 0;
                step_ = Step::kReadTriggerType;
                return false;
            }
            SendAndGo(Step::kReadSelfStop, cmd::kReadBufferingData, kCommon, kSlotBufferMode,
                      Field::kWord);
            return true;
        case Step::kReadSelfStop:
            if (working_[kSlotBufferMode] == 2) {
                selfStop_ = 0;  // continuous buffering never stops by itself
                step_ = Step::kReadTriggerType;
                return false;
            }
            SendAndGo(Step::kReadTriggerType, cmd::kReadStoreStop, kController, kNoSlot,
                      Field::kSelfStop);
            return true;
        case Step::kReadTriggerType:
            ReadTriggerTypeThenOutputs();
            return true;
        case Step::kEvaluatePoll:
            EvaluatePoll();
            return false;
        default:
            return ReadOutputStates(Step::kEvaluatePoll, false);
    }
}

void CThreadBuffering::EvaluatePoll() {
    const int32_t type = working_[kSlotBufferType];
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
        return;
    }
    SendUpdate();
    countdown_ = current_->pollInterval;
    SetState(kStateMonitoring);
}

bool CThreadBuffering::RunReadState() {
    switch (step_) {
        case Step::kReadTriggerType:
            ReadTriggerTypeThenOutputs();
            return true;
        case Step::kDone:
            Finish(ZUL_OK);
            return false;
        default:
            return ReadOutputStates(Step::kDone, false);
    }
}

bool CThreadBuffering::RunReadData() {
    switch (step_) {
        case Step::kReadBufferMode:
            SendAndGo(Step::kReadSamplingRate, cmd::kReadBufferingData, kCommon, kSlotBufferMode,
                      Field::kWord);
            return true;
        case Step::kReadSamplingRate:
            return SendOrAssume(Step::kReadBufferingRate, cmd::kReadSamplingRate, kCommon,
                                kSlotSampleTriggerStoreNum, Field::kWord, 1);
        case Step::kReadBufferingRate:
            SendAndGo(Step::kReadStoreCount, cmd::kReadBufferingRate, kCommon, kSlotBufferRate,
                      Field::kWord);
            return true;
        case Step::kReadStoreCount:
            SendAndGo(Step::kReadTriggerPoint, cmd::kReadBufferingCount, kCommon, kSlotStoreNum,
                      Field::kWord);
            return true;
        case Step::kReadTriggerPoint:
            return SendOrAssume(Step::kReadTriggerDelay, cmd::kReadTriggerPoint, kCommon,
                                kSlotTriggerPoint, Field::kWord, 10000);
        case Step::kReadTriggerDelay:
            return SendOrAssume(Step::kReadOut1EventCondition, cmd::kReadTriggerDelay, kCommon,
                                kSlotTriggerDelay, Field::kSigned11, 0);
        case Step::kReadOut1EventCondition:
            return SendOrAssume(Step::kReadOut2EventCondition, cmd::kReadEventCondition, kOut1,
                                BufferingValueSet::EventCondition(0), Field::kWord, 0);
        case Step::kReadOut2EventCondition:
            return SendOrAssume(Step::kReadTriggerType, cmd::kReadEventCondition, kOut2,
                                BufferingValueSet::EventCondition(1), Field::kWord, 0);
        case Step::kReadTriggerType:
            ReadTriggerTypeThenOutputs();
            return true;
        case Step::kPrepareTransfer:
            PrepareTransfer();
            return false;
        case Step::kStartOutputTransfer:
            StartOutputTransfer();
            return false;
        case Step::kTransferBlock:
            return RunTransfer(output_);
        case Step::kDone:
            Finish(ZUL_OK);
            return false;
        default:
            return ReadOutputStates(Step::kPrepareTransfer, true);
    }
}

void CThreadBuffering::PrepareTransfer() {
    SanitiseReadDataSet(working_);
    if (!HasBufferedData(working_)) {
        Finish(ZUL_ERR_NO_BUFF_DATA);
        return;
    }
    if (data_ == nullptr) {
        Finish(ZUL_ERR);  // nowhere to put the values
        return;
    }
    BeginDataRead(*data_, working_);
    output_ = 0;
    step_ = Step::kStartOutputTransfer;
}

void CThreadBuffering::StartOutputTransfer() {
    if (output_ >= kBufferingOutputs) {
        step_ = Step::kDone;
        return;
    }
    if (!OutputInvolved(working_[kSlotBufferType], output_)) {
        ++output_;
        return;
    }
    BeginOutputTransfer(*data_, output_);
    next_ = 1;
    step_ = Step::kTransferBlock;
}

bool CThreadBuffering::RunTransfer(int output) {
    int32_t last = working_[BufferingValueSet::FinalDataPoint(output)];
    int32_t count = NextBlockCount(last, next_);
    if (count <= 0) {
        ++output_;
        step_ = Step::kStartOutputTransfer;
        return false;
    }
    blockCount_ = count;
    SendText(ValueBlockCommand(output, next_, next_ + count - 1), Field::kValues);
    return true;
}

}  // namespace zul
