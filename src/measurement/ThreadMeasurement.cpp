// SPDX-License-Identifier: GPL-3.0-or-later
#include "measurement/ThreadMeasurement.h"

#include "base/DiagnosticLog.h"
#include "link/Commands.h"
#include "link/Event.h"
#include "link/FieldCodec.h"
#include "link/Frame.h"
#include "link/RequestBuilders.h"

namespace zul {

namespace {

constexpr int32_t kOut1 = 3;
constexpr int32_t kOut2 = 4;
constexpr int32_t kHeadA = 1;
constexpr int32_t kHeadB = 2;

constexpr int32_t kStateIdle = 0;
constexpr int32_t kStateRegisters = 7;
constexpr int32_t kStateNextFrame = 9;
constexpr int32_t kStateFrameWait = 8;
constexpr int32_t kStateZeroSetValues = 10;
constexpr int32_t kStateEnd = 27;

// The states that send one ordinary command, with its command and target digit.
struct CycleCommand {
    int32_t state;
    std::string_view command;
    int32_t target;
};
constexpr CycleCommand kCommands[] = {
    {1, cmd::kReadMeasurementBlock, -1}, {3, cmd::kReadZeroSet, kOut1},
    {5, cmd::kReadZeroSet, kOut2},       {11, cmd::kReadTiming, kOut1},
    {13, cmd::kReadTiming, kOut2},       {15, cmd::kReadReset, kOut1},
    {17, cmd::kReadReset, kOut2},        {19, cmd::kReadLaserRemote, kHeadA},
    {21, cmd::kReadLaserRemote, kHeadB}, {23, cmd::kReadOutputAlarm, kOut1},
    {25, cmd::kReadOutputAlarm, kOut2},
};

const CycleCommand* CommandOfState(int32_t state) {
    for (const CycleCommand& c : kCommands) {
        if (c.state == state) {
            return &c;
        }
    }
    return nullptr;
}

bool IsWaitingState(int32_t state) {
    return state == kStateFrameWait || (CommandOfState(state - 1) != nullptr);
}

int32_t ZeroSetCount(const RegisterBlock& block, uint32_t lowAddress) {
    uint32_t low = block.RegisterValue(lowAddress);
    uint32_t high = block.RegisterValue(lowAddress + 1);
    return static_cast<int32_t>((high << 16) | low);
}

}  // namespace

CThreadMeasurement::CThreadMeasurement(CommGate& gate, SettingsStore& store)
    : MessageThread("Measurement"), gate_(gate), store_(store) {}

CThreadMeasurement::~CThreadMeasurement() {
    Stop();
}

void CThreadMeasurement::StartMeasurementCycle(std::unique_ptr<MeasurementCycleRequest> request) {
    // On failure the message still owns the request and destroys it.
    Post(kMsgMeasStartCycle, 0, 0, std::move(request));
}

void CThreadMeasurement::CancelMeasurementCycle() {
    Event done;
    if (Post(kMsgMeasCancel, reinterpret_cast<int64_t>(&done))) {
        done.Wait();
    }
}

void CThreadMeasurement::OnMessage(Message& message) {
    switch (message.id) {
        case kMsgMeasStartCycle:
            BeginCycle(message.Take<MeasurementCycleRequest>());
            break;
        case kMsgMeasCommandReply:
            OnReply(message.Take<CommRequest>());
            break;
        case kMsgMeasCancel:
            OnCancel(reinterpret_cast<Event*>(message.wParam));
            break;
        default:
            break;
    }
}

void CThreadMeasurement::OnStop() {
    // The gate must not call back into a thread that is gone: withdraw what is pending.
    if (pending_ != nullptr) {
        gate_.CancelRequest(pending_);
        pending_ = nullptr;
    }
    if (cycle_) {
        SetResult(&cycle_->result, ZUL_ERR_ABORT);
        Finish();
    }
    SetState(kStateIdle);
}

void CThreadMeasurement::BeginCycle(std::unique_ptr<MeasurementCycleRequest> request) {
    if (!request || state_ != kStateIdle) {
        return;  // a cycle runs already: the new request is dropped
    }
    cycle_ = std::move(request);
    ClearResult(&cycle_->result);
    SetState(1);
    Run();
}

void CThreadMeasurement::OnCancel(Event* done) {
    if (state_ != kStateIdle) {
        if (pending_ != nullptr && IsWaitingState(state_)) {
            gate_.CancelRequest(pending_);
        }
        pending_ = nullptr;
        cycle_.reset();
        registers_ = RegisterBlock{};
    }
    SetState(kStateIdle);
    if (done != nullptr) {
        done->Set();
    }
}

void CThreadMeasurement::SetState(int32_t state) {
    state_ = state;
    publishedState_.store(state);
}

void CThreadMeasurement::SendPending(std::unique_ptr<CommRequest> request) {
    request->onDone = [this](std::unique_ptr<CommRequest> done) {
        // Runs on the controller thread; a refused post destroys the request.
        Post(kMsgMeasCommandReply, 0, 0, std::move(done));
    };
    pending_ = request.get();
    gate_.Submit(std::move(request));
}

void CThreadMeasurement::SendTarget(std::string_view command, int32_t target) {
    std::unique_ptr<CommRequest> request;
    if (target < 0) {
        request = std::make_unique<CommRequest>();
        WriteText(request->command, request->commandCursor, command);
        request->echoMode = kEchoMode3Letters;
    } else {
        request = MakeTargetRequest(command, target);
    }
    SendPending(std::move(request));
}

bool CThreadMeasurement::SendNextRegisterFrame() {
    auto request = std::make_unique<CommRequest>();
    if (!registers_.BuildNextFrame(request->command)) {
        return false;
    }
    request->commandCursor = static_cast<int32_t>(request->command.size());
    request->echoMode = kEchoMode2Letters;
    SendPending(std::move(request));
    return true;
}

void CThreadMeasurement::Run() {
    while (true) {
        if (const CycleCommand* c = CommandOfState(state_)) {
            SendTarget(c->command, c->target);
            SetState(state_ + 1);
            return;
        }
        switch (state_) {
            case kStateRegisters:
                registers_ = RegisterBlock{};
                registers_.AddRegister(kZeroSetRegisterOut1);
                registers_.AddRegister(kZeroSetRegisterOut1 + 1);
                registers_.AddRegister(kZeroSetRegisterOut2);
                registers_.AddRegister(kZeroSetRegisterOut2 + 1);
                SetState(kStateNextFrame);
                break;
            case kStateNextFrame:
                if (SendNextRegisterFrame()) {
                    SetState(kStateFrameWait);
                    return;
                }
                SetState(kStateZeroSetValues);
                break;
            case kStateZeroSetValues:
                if (cycle_->result.code == ZUL_OK) {
                    StoreZeroSetValues();
                }
                registers_ = RegisterBlock{};
                SetState(cycle_->result.code != ZUL_OK ? kStateEnd : 11);
                break;
            case kStateEnd:
                SetState(kStateIdle);
                Finish();
                return;
            default:
                // A waiting state or no cycle: nothing to run.
                return;
        }
    }
}

void CThreadMeasurement::StoreZeroSetValues() {
    auto lock = store_.Lock();
    store_.SetDouble<kMeasZeroSetVal>(ZeroSetCount(registers_, kZeroSetRegisterOut1) * 0.000001, 0);
    store_.SetDouble<kMeasZeroSetVal>(ZeroSetCount(registers_, kZeroSetRegisterOut2) * 0.000001, 1);
}

int32_t CThreadMeasurement::TakeRegisterReply(const CommRequest& reply) {
    // A reply short of words, or with a word that is not hex, would read as wrong offsets.
    return registers_.TakeReadReply(reply, &cycle_->result);
}

void CThreadMeasurement::OnReply(std::unique_ptr<CommRequest> reply) {
    if (!reply || reply.get() != pending_) {
        return;  // not the request this cycle waits for: dropped
    }
    if (!ExpectState(IsWaitingState(state_) && cycle_, "measurement",
                     "outstanding reply outside a waiting state")) {
        return;
    }
    pending_ = nullptr;
    int32_t waiting = state_;
    cycle_->result = reply->result;
    if (waiting == kStateFrameWait && cycle_->result.code == ZUL_OK) {
        TakeRegisterReply(*reply);
    }
    if (cycle_->result.code != ZUL_OK) {
        SetState(waiting == kStateFrameWait ? kStateZeroSetValues : kStateEnd);
        Run();
        return;
    }
    if (waiting != kStateFrameWait && !Decode(waiting, *reply)) {
        SetMalformedReply(&cycle_->result, reply->command, reply->reply);
        SetState(kStateEnd);
        Run();
        return;
    }
    SetState(waiting == kStateFrameWait ? kStateNextFrame : waiting + 1);
    Run();
}

bool DecodeMeasurementBlock(std::string_view reply, MeasurementBlock& block) {
    if (reply.size() != kReplyDataOffset + kMeasurementBlockLength) {
        return false;
    }
    int32_t at = static_cast<int32_t>(kReplyDataOffset);
    for (MeasurementBlock::Output& out : block.outputs) {
        if (!TakeReal11(reply, at, out.value)) {
            return false;
        }
        for (int32_t& state : out.states) {
            if (!TakeDecimal(reply, at, 1, state)) {
                return false;
            }
        }
    }
    return true;
}

bool CThreadMeasurement::Decode(int32_t waitingState, const CommRequest& reply) {
    // Everything is decoded before anything is stored: a reply that does not decode stores
    // nothing.
    if (waitingState == 2) {
        MeasurementBlock block;
        if (!DecodeMeasurementBlock(reply.reply, block)) {
            return false;
        }
        auto lock = store_.Lock();
        for (int32_t out = 0; out < 2; ++out) {
            const MeasurementBlock::Output& o = block.outputs[static_cast<size_t>(out)];
            store_.SetDouble<kMeasMeasureValue>(o.value, out);
            store_.SetInt<kMeasStrobe>(o.states[0], out);
            store_.SetInt<kMeasHiState>(o.states[1], out);
            store_.SetInt<kMeasGoState>(o.states[2], out);
            store_.SetInt<kMeasLowState>(o.states[3], out);
            store_.SetInt<kMeasExtension>(o.states[4], out);
            store_.SetInt<kMeasAlarmState>(o.states[5], out);
        }
        return true;
    }
    int32_t value = 0;
    if (!DecodeWordReply(reply.reply, value)) {
        return false;
    }
    auto lock = store_.Lock();
    switch (waitingState) {
        case 4:
        case 6:
            store_.SetInt<kMeasZeroSet>(value, waitingState == 4 ? 0 : 1);
            break;
        case 12:
        case 14:
            store_.SetInt<kMeasTiming>(value, waitingState == 12 ? 0 : 1);
            break;
        case 16:
        case 18:
            store_.SetInt<kMeasReset>(value, waitingState == 16 ? 0 : 1);
            break;
        case 20:
        case 22: {
            // The bank that is current when the reply arrives.
            int32_t bank = store_.GetInt<kCtrlCurMemNo>();
            store_.SetInt<kHeadLaserOff>(value, bank, waitingState == 20 ? 0 : 1);
            break;
        }
        case 24:
        case 26:
            store_.SetInt<kMeasAlarmCode>(value, waitingState == 24 ? 0 : 1);
            break;
        default:
            ExpectState(false, "measurement", "reply of a state that stores nothing");
            break;
    }
    return true;
}

void CThreadMeasurement::Finish() {
    std::unique_ptr<MeasurementCycleRequest> request = std::move(cycle_);
    if (request && request->onDone) {
        MeasurementCycleDoneFn done = request->onDone;
        int64_t context = request->context;
        done(context, std::move(request));
    }
}

}  // namespace zul
