// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ThreadCommControler.h"

#include "base/DiagnosticLog.h"
#include "link/Event.h"
#include "link/Frame.h"
#include "link/LinkMessages.h"
#include "link/SerialPortName.h"
#include "link/ThreadRawComm.h"
#include "link/TraceEscape.h"

namespace zul {

namespace {

// No reply is longer on the wire than this: 33,500 characters of 10 bits at 9600 bit/s, the
// slowest line speed, in 100 ms ticks. Bytes that keep arriving after it are not a reply, and no
// longer hold the request's time-out off.
constexpr int32_t kLongestReplyTicks = 33500 * 10 * 10 / 9600 + 1;

std::string_view ReasonText(DiscardReason reason) {
    switch (reason) {
        case DiscardReason::kBadBcc:
            return "bad block check";
        case DiscardReason::kBroken:
            return "cut short";
        case DiscardReason::kWrongEcho:
            return "answers another command";
        case DiscardReason::kNone:
            break;
    }
    return "dropped";
}

}  // namespace

std::string DiscardDetail(const DiscardTally& tally) {
    if (tally.Total() == 0) {
        return {};
    }
    std::string text;
    auto add = [&](int32_t count, std::string_view what) {
        if (count > 0) {
            text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + std::string(what);
        }
    };
    add(tally.badBcc, "with a bad block check");
    add(tally.broken, "cut short");
    add(tally.wrongEcho, "answering another command");
    return " Replies discarded: " + text + ".";
}

CThreadCommControler::CThreadCommControler(CThreadRawComm& raw, LinkSettingsSource& settings,
                                           LinkEnvironment& environment)
    : MessageThread("CommControler", kLinkTick),
      raw_(raw),
      settingsSource_(settings),
      environment_(environment) {}

CThreadCommControler::~CThreadCommControler() {
    Stop();
}

std::unique_ptr<CommRequest> CThreadCommControler::SubmitAndWait(
    std::unique_ptr<CommRequest> request) {
    if (IsCurrentThread() || raw_.IsCurrentThread()) {
        // Waiting here would wait for ourselves.
        SetResult(&request->result, ZUL_ERR);
        return request;
    }
    Event done;
    request->doneEvent = &done;
    CommRequest* raw = request.get();
    Message message{kMsgCommSubmit, 0, 0, std::move(request)};
    if (!Post(message)) {
        request.reset(static_cast<CommRequest*>(message.payload.release()));
        request->doneEvent = nullptr;
        SetResult(&request->result, ZUL_ERR_ABORT);
        return request;
    }
    done.Wait();
    // The controller gave the request up before it signalled the event.
    request.reset(raw);
    request->doneEvent = nullptr;
    return request;
}

void CThreadCommControler::Submit(std::unique_ptr<CommRequest> request) {
    Post(kMsgCommSubmit, 0, 0, std::move(request));
}

void CThreadCommControler::CancelRequest(const CommRequest* request) {
    Event done;
    if (Post(kMsgCommCancel, reinterpret_cast<int64_t>(&done),
             reinterpret_cast<int64_t>(request))) {
        done.Wait();
    }
}

int32_t CThreadCommControler::Connect(ResultInfo* result) {
    ResultInfo local;
    ResultInfo* target = result != nullptr ? result : &local;
    Event done;
    if (!Post(kMsgCommConnect, reinterpret_cast<int64_t>(target),
              reinterpret_cast<int64_t>(&done))) {
        return SetResult(target, ZUL_ERR);
    }
    done.Wait();
    return target->code;
}

void CThreadCommControler::Disconnect() {
    Post(kMsgCommDisconnect);
}

void CThreadCommControler::ReloadTimeout() {
    Post(kMsgCommReloadTimeout);
}

void CThreadCommControler::OnStart() {
    LoadTimeoutTicks();
    raw_.SetFrameConsumer(
        [this](std::unique_ptr<LinkRecord> frame) { Post(kMsgCommFrame, 0, 0, std::move(frame)); },
        [this] { Post(kMsgCommResend); });
}

void CThreadCommControler::OnStop() {
    FailAll(ZUL_ERR_ABORT);
}

void CThreadCommControler::LoadTimeoutTicks() {
    link_ = settingsSource_.ReadLinkSettings();
    timeoutTicks_ = TimeoutTicks(link_.rs232cTimeout);
}

void CThreadCommControler::OnMessage(Message& message) {
    switch (message.id) {
        case kMsgCommFrame:
            if (auto record = message.Take<LinkRecord>()) {
                OnInbound(std::move(record));
            }
            break;
        case kMsgCommSubmit:
            if (auto request = message.Take<CommRequest>()) {
                Enqueue(std::move(request));
            }
            break;
        case kMsgCommSent:
            if (auto record = message.Take<LinkRecord>()) {
                OnSent(std::move(record));
            }
            break;
        case kMsgCommCancel:
            OnCancel(message);
            break;
        case kMsgCommReloadTimeout:
            LoadTimeoutTicks();
            break;
        case kMsgCommConnect:
            OnConnect(message);
            break;
        case kMsgCommDisconnect:
            raw_.CloseLink();
            FailAll(ZUL_ERR_OFFLINE);
            break;
        case kMsgCommResend:
            if (current_) {
                linkInFlight_ = nullptr;
                current_->result.Clear();
                Transmit();
            }
            break;
        default:
            break;
    }
}

void CThreadCommControler::Enqueue(std::unique_ptr<CommRequest> request) {
    queue_.push_back(std::move(request));
    if (state_ == CommState::kIdle) {
        StartNext();
    }
}

void CThreadCommControler::StartNext() {
    if (state_ != CommState::kIdle || current_ || queue_.empty()) {
        return;
    }
    current_ = std::move(queue_.front());
    queue_.pop_front();
    quietTicks_ = 0;
    Transmit();
}

void CThreadCommControler::Transmit() {
    replyCountdown_ = timeoutTicks_;
    transmissionCountdown_ = 2 * timeoutTicks_;
    resend_ = false;
    discards_ = DiscardTally{};
    auto record = std::make_unique<LinkRecord>();
    record->text = current_->command;
    record->cursor = current_->commandCursor;
    record->onSent = [this](std::unique_ptr<LinkRecord> sent) {
        Post(kMsgCommSent, 0, 0, std::move(sent));
    };
    linkInFlight_ = record.get();
    state_ = CommState::kTransmitting;
    raw_.SubmitLink(std::move(record));
}

void CThreadCommControler::OnSent(std::unique_ptr<LinkRecord> record) {
    if (!record || record.get() != linkInFlight_) {
        return;  // a transmission given up meanwhile
    }
    if (!ExpectState(state_ == CommState::kTransmitting && current_, "link",
                     "transmission report outside a transmission")) {
        return;
    }
    linkInFlight_ = nullptr;
    if (record->code != ZUL_OK) {
        current_->result.code = record->code;
        current_->result.osError = record->osError;
        current_->result.detail1 = record->detail1;
        current_->result.detail2 = record->detail2;
        if (environment_.ReconnectMode() != 0) {
            resend_ = true;
            state_ = CommState::kIdle;  // stays current; the next tick resends it
            return;
        }
        Complete();
        StartNext();
        return;
    }
    state_ = CommState::kAwaitingReply;
    awaitedTicks_ = 0;
}

void CThreadCommControler::OnInbound(std::unique_ptr<LinkRecord> record) {
    switch (record->inbound) {
        case InboundKind::kFrame:
            OnFrame(std::move(record));
            return;
        case InboundKind::kReplyProgress:
            // A reply still arriving is not silence: its time-out starts again. (A long reply
            // at a low line speed takes longer than the time-out on the wire.)
            if (state_ == CommState::kAwaitingReply && awaitedTicks_ < kLongestReplyTicks) {
                replyCountdown_ = timeoutTicks_;
                quietTicks_ = 0;
            }
            return;
        case InboundKind::kDiscardedFrame:
            OnDiscarded(record->reason, record->text);
            return;
    }
}

void CThreadCommControler::OnDiscarded(DiscardReason reason, std::string_view frame) {
    if ((state_ == CommState::kTransmitting || state_ == CommState::kAwaitingReply) && current_) {
        switch (reason) {
            case DiscardReason::kBadBcc:
                ++discards_.badBcc;
                break;
            case DiscardReason::kWrongEcho:
                ++discards_.wrongEcho;
                break;
            default:
                ++discards_.broken;
                break;
        }
        discards_.last = EscapeTraceBytes(frame);
    }
    Diagnose("DISCARD", std::string(ReasonText(reason)) + ": " + EscapeTraceBytes(frame));
}

void CThreadCommControler::OnFrame(std::unique_ptr<LinkRecord> frame) {
    if ((state_ != CommState::kTransmitting && state_ != CommState::kAwaitingReply) || !current_) {
        Diagnose("DISCARD", "no request waiting: " + EscapeTraceBytes(frame->text));
        return;
    }
    MatchResult match = MatchReply(current_->command, current_->echoMode, frame->text);
    if (match.kind == ReplyMatch::kNotReply) {
        OnDiscarded(DiscardReason::kWrongEcho, frame->text);
        return;
    }
    current_->result.Clear();
    if (match.kind == ReplyMatch::kError) {
        current_->result.code = ZUL_ERR_COMM_RES;
        current_->result.osError = match.errorCode;
        // The request and the refusal go into the message, as for a reply that does not decode.
        current_->result.detail1 = EscapeTraceBytes(current_->command);
        current_->result.detail2 = EscapeTraceBytes(frame->text);
        Diagnose("ERROR", EscapeTraceBytes(frame->text));
        current_->reply = std::move(frame->text);
    } else {
        current_->reply = std::move(match.text);
    }
    if (state_ == CommState::kTransmitting) {
        linkInFlight_ = nullptr;  // the reply overtook the transmission report
    }
    current_->replyCursor = 0;
    Complete();
    StartNext();
}

void CThreadCommControler::OnTimeout(std::string_view what) {
    current_->result.code = ZUL_ERR_COMM_TIMEOUT;
    // What was dropped meanwhile goes into the message: "did not answer" alone would hide a
    // line that garbles replies.
    current_->result.detail1 = DiscardDetail(discards_);
    current_->result.detail2 = discards_.last;
    Diagnose("TIMEOUT",
             std::string(what) + (discards_.Total() > 0 ? ";" : "") + current_->result.detail1);
    // The log file has the trace line above; the stderr copy shows it without logging on.
    LogToStderr(LogLevel::kWarn, "link",
                "reply time-out for " + EscapeTraceBytes(current_->command) + ": " +
                    std::string(what) + current_->result.detail1);
}

void CThreadCommControler::Diagnose(std::string_view event, std::string_view text) {
    if (link_.logEnableFlag == 0 && !TraceTapActive()) {
        return;
    }
    const char* prefix = link_.communicationType == kCommunicationUsb ? "US" : "RS";
    std::string line =
        FormatDiagnosticLine(prefix, event, current_ ? current_->command : std::string(), text);
    if (traceSink_) {
        traceSink_(line);
    } else {
        EmitTraceLine(line, link_.logEnableFlag != 0);
    }
}

void CThreadCommControler::Complete() {
    std::unique_ptr<CommRequest> request = std::move(current_);
    state_ = CommState::kIdle;
    Notify(std::move(request));
}

void CThreadCommControler::Notify(std::unique_ptr<CommRequest> request) {
    if (request->doneEvent != nullptr) {
        // The waiting caller owns the request from the moment the event is set.
        Event* done = request->doneEvent;
        request.release();
        done->Set();
        return;
    }
    if (request->onDone) {
        CommDoneFn onDone = request->onDone;
        onDone(std::move(request));
    }
}

void CThreadCommControler::OnTick() {
    if (stopping_.load()) {
        return;
    }
    if (environment_.ReconnectMode() != 0) {
        OnReconnectModeTick();
        return;  // the reply time-out does not count while the link may be restarting
    }
    if (current_ && resend_) {
        // Its transmission failed in reconnect mode, which has ended before the resend: it ends
        // with that failure instead of waiting for a resend that no longer comes.
        resend_ = false;
        Complete();
        StartNext();
        return;
    }
    if (state_ == CommState::kAwaitingReply) {
        ++awaitedTicks_;
        if (--replyCountdown_ <= 0) {
            OnTimeout("no reply within " + std::to_string(timeoutTicks_ * 100) + " ms");
            Complete();
            StartNext();
        }
    } else if (state_ == CommState::kTransmitting) {
        if (--transmissionCountdown_ <= 0) {
            linkInFlight_ = nullptr;
            OnTimeout("not transmitted within " + std::to_string(2 * timeoutTicks_ * 100) + " ms");
            Complete();
            raw_.Post(kMsgRawCloseTransports);
            StartNext();
        }
    }
}

int32_t CThreadCommControler::ReconnectModeLimitTicks() const {
    return timeoutTicks_ + environment_.ReconnectTime() * environment_.ReconnectRetry();
}

void CThreadCommControler::SetLostDevice(ResultInfo& result) const {
    // The same code and details as the main window's report of a lost line.
    if (link_.communicationType == kCommunicationRs232c) {
        SetResult(&result, ZUL_ERR_RS_DEVICE, 0, SerialDisplayName(link_.rs232cPort),
                  SerialDevicePath(link_.rs232cPort));
    } else {
        SetResult(&result, ZUL_ERR_USB_DEVICE, 0, link_.usbConnect);
    }
}

void CThreadCommControler::OnReconnectModeTick() {
    if (!current_) {
        return;
    }
    if (state_ == CommState::kAwaitingReply) {
        ++awaitedTicks_;
    }
    // A restarting controller is waited for, but not for ever: a controller that has gone quiet
    // on a line that stays open (a cable pulled at its end) would otherwise hold the request,
    // and its waiting caller, without end. The request gets its reply time-out plus as long as
    // the raw communication thread tries to reconnect before it gives a lost line up.
    if (++quietTicks_ >= ReconnectModeLimitTicks()) {
        const std::string limit = std::to_string(ReconnectModeLimitTicks() * 100) + " ms";
        if (state_ == CommState::kAwaitingReply) {
            OnTimeout("no reply within " + limit + " in reconnect mode");
        } else {
            // Never transmitted meanwhile: the link did not come back.
            if (state_ == CommState::kTransmitting && linkInFlight_ != nullptr) {
                raw_.CancelLink(linkInFlight_);
            }
            linkInFlight_ = nullptr;
            SetLostDevice(current_->result);
            Diagnose("TIMEOUT", "not transmitted within " + limit + " in reconnect mode");
            LogToStderr(LogLevel::kError, "link",
                        "reconnect given up: " + EscapeTraceBytes(current_->command) +
                            " not transmitted within " + limit);
        }
        resend_ = false;
        Complete();
        StartNext();
        return;
    }
    if (resend_) {
        linkInFlight_ = nullptr;
        current_->result.Clear();
        Transmit();
    }
}

void CThreadCommControler::OnCancel(Message& message) {
    auto* done = reinterpret_cast<Event*>(message.wParam);
    auto* target = reinterpret_cast<const CommRequest*>(message.lParam);
    std::unique_ptr<CommRequest> withdrawn;
    if (current_ && current_.get() == target && state_ != CommState::kIdle) {
        withdrawn = std::move(current_);
        if (state_ == CommState::kTransmitting && linkInFlight_ != nullptr) {
            raw_.CancelLink(linkInFlight_);
        }
        linkInFlight_ = nullptr;
        state_ = CommState::kIdle;
    } else if (current_ && current_.get() == target) {
        // Current but idle: waiting for a resend after a failed transmission.
        withdrawn = std::move(current_);
        linkInFlight_ = nullptr;
        resend_ = false;
    } else {
        for (auto it = queue_.begin(); it != queue_.end(); ++it) {
            if (it->get() == target) {
                withdrawn = std::move(*it);
                queue_.erase(it);
                break;
            }
        }
    }
    if (withdrawn && withdrawn->doneEvent != nullptr) {
        // Its caller still waits: wake it rather than leave it waiting for ever.
        withdrawn->result.Clear();
        withdrawn->result.code = ZUL_ERR_ABORT;
        Notify(std::move(withdrawn));
    }
    withdrawn.reset();
    StartNext();
    done->Set();
}

void CThreadCommControler::OnConnect(Message& message) {
    auto* result = reinterpret_cast<ResultInfo*>(message.wParam);
    auto* done = reinterpret_cast<Event*>(message.lParam);
    ClearResult(result);
    LoadTimeoutTicks();
    int32_t code = raw_.OpenLink(result);
    connected_.store(code == ZUL_OK);
    done->Set();
}

void CThreadCommControler::FailAll(int32_t code) {
    connected_.store(false);
    linkInFlight_ = nullptr;
    if (current_) {
        std::unique_ptr<CommRequest> request = std::move(current_);
        request->result.code = code;
        Notify(std::move(request));
    }
    while (!queue_.empty()) {
        std::unique_ptr<CommRequest> request = std::move(queue_.front());
        queue_.pop_front();
        request->result.code = code;
        Notify(std::move(request));
    }
    state_ = CommState::kIdle;
    resend_ = false;
}

}  // namespace zul
