// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ThreadRawComm.h"

#include <sys/resource.h>
#include <unistd.h>

#include <system_error>

#include "base/DiagnosticLog.h"
#include "link/Event.h"
#include "link/Frame.h"
#include "link/FrameDiscards.h"
#include "link/LinkMessages.h"
#include "link/SerialTransport.h"
#include "link/ThreadLog.h"
#include "link/TraceEscape.h"
#include "link/UsbTransport.h"

namespace zul {

struct CThreadRawComm::ConsumerPayload : MessagePayload {
    FrameConsumer consumer;
    std::function<void()> onReconnected;
};

namespace {

// The nice value of a PolicyPriority code. Raising the priority needs privileges; without
// them the thread simply stays where it is.
int NiceOfPolicy(int32_t policy) {
    switch (policy) {
        case 0:
            return 10;
        case 1:
            return 5;
        case 3:
            return -5;
        default:
            return 0;
    }
}

void SetThreadNice(int nice) {
    (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice);
}

// "code 11, errno 16 (Device or resource busy), COM1, /dev/ttyS0" for a diagnostic line.
std::string FailureText(const ResultInfo& result) {
    std::string text = "code " + std::to_string(result.code);
    if (result.osError != 0) {
        text += ", errno " + std::to_string(result.osError) + " (" +
                std::error_code(result.osError, std::generic_category()).message() + ")";
    }
    for (const std::string* detail : {&result.detail1, &result.detail2}) {
        if (!detail->empty()) {
            text += ", " + *detail;
        }
    }
    return text;
}

size_t WireBytes(const std::vector<std::string>& frames) {
    size_t total = 0;
    for (const std::string& frame : frames) {
        total += frame.size() + 3;  // the block check and the carriage return
    }
    return total;
}

}  // namespace

CThreadRawComm::CThreadRawComm(LinkSettingsSource& settings, LinkEnvironment& environment,
                               WindowSink* window, FtdiLibrary* ftdi)
    : MessageThread("RawComm", kLinkTick),
      settingsSource_(settings),
      environment_(environment),
      window_(window),
      ftdi_(ftdi) {}

CThreadRawComm::~CThreadRawComm() {
    Stop();
}

void CThreadRawComm::SetTraceSink(TraceSink sink) {
    traceSink_ = std::move(sink);
}

void CThreadRawComm::SetFrameConsumer(FrameConsumer consumer, std::function<void()> onReconnected) {
    auto payload = std::make_unique<ConsumerPayload>();
    payload->consumer = std::move(consumer);
    payload->onReconnected = std::move(onReconnected);
    Post(kMsgRawAttachConsumer, 0, 0, std::move(payload));
}

bool CThreadRawComm::SubmitLink(std::unique_ptr<LinkRecord> record) {
    return Post(kMsgRawSend, 0, 0, std::move(record));
}

void CThreadRawComm::CancelLink(const LinkRecord* record) {
    Event done;
    if (Post(kMsgRawCancel, reinterpret_cast<int64_t>(&done), reinterpret_cast<int64_t>(record))) {
        done.Wait();
    }
}

int32_t CThreadRawComm::OpenLink(ResultInfo* result) {
    ResultInfo local;
    ResultInfo* target = result != nullptr ? result : &local;
    Event done;
    if (!Post(kMsgRawConnect, reinterpret_cast<int64_t>(target),
              reinterpret_cast<int64_t>(&done))) {
        return SetResult(target, ZUL_ERR);
    }
    done.Wait();
    return target->code;
}

void CThreadRawComm::CloseLink() {
    Post(kMsgRawDisconnect);
}

void CThreadRawComm::OnStart() {
    serial_ = std::make_unique<SerialTransport>();
    usb_ = std::make_unique<UsbTransport>(ftdi_);
    ReadSettings();
}

void CThreadRawComm::OnStop() {
    SetThreadNice(0);
    AbortAll(ZUL_ERR_ABORT);
    serial_.reset();
    usb_.reset();
}

void CThreadRawComm::ReadSettings() {
    settings_ = settingsSource_.ReadLinkSettings();
    SetThreadNice(NiceOfPolicy(settings_.policyPriority));
}

void CThreadRawComm::OnMessage(Message& message) {
    switch (message.id) {
        case kMsgRawSend:
            if (auto record = message.Take<LinkRecord>()) {
                OnSend(std::move(record));
            }
            break;
        case kMsgRawCancel:
            OnCancel(message);
            break;
        case kMsgRawSerialEvent:
        case kMsgRawUsbEvent:
            if (auto record = message.Take<TransportEvent>()) {
                OnTransportEvent(message.id == kMsgRawUsbEvent, std::move(record));
            }
            break;
        case kMsgRawCloseTransports:
            serial_->Close();
            usb_->Close();
            break;
        case kMsgRawConnect:
            OnConnect(message);
            break;
        case kMsgRawDisconnect:
            reconnecting_ = false;
            AbortAll(ZUL_ERR_OFFLINE);
            break;
        case kMsgRawAttachConsumer:
            if (auto payload = message.Take<ConsumerPayload>()) {
                consumer_ = std::move(payload->consumer);
                onReconnected_ = std::move(payload->onReconnected);
            }
            break;
        case kMsgRawIgnored:
        default:
            break;
    }
}

void CThreadRawComm::OnSend(std::unique_ptr<LinkRecord> record) {
    // A record still waiting is replaced without notification; a current one never is.
    pending_ = std::move(record);
    SendNext();
}

void CThreadRawComm::OnCancel(Message& message) {
    auto* done = reinterpret_cast<Event*>(message.wParam);
    auto* target = reinterpret_cast<const LinkRecord*>(message.lParam);
    if (current_) {
        if (current_.get() == target) {
            current_.reset();
            SendNext();
        }
    } else if (pending_ && pending_.get() == target) {
        pending_.reset();
    }
    done->Set();
}

void CThreadRawComm::SendNext() {
    if (reconnecting_ || current_ || serialWrite_ != nullptr || usbWrite_ != nullptr) {
        return;
    }
    if (!pending_) {
        return;
    }
    current_ = std::move(pending_);
    if (current_->text.empty()) {
        EndRecord(std::move(current_), ZUL_OK);
        return;
    }
    std::string framed =
        settings_.rs232cBCC != 0 ? AppendBcc(current_->text) : AppendNoBcc(current_->text);
    std::string bytes = Terminate(framed);

    bool usb = settings_.communicationType == kCommunicationUsb;
    if (!usb && settings_.communicationType != kCommunicationRs232c) {
        EndRecord(std::move(current_), ZUL_ERR);
        return;
    }
    lastRequest_ = current_->text;
    if (TraceOn()) {
        Trace(usb ? "US" : "RS", "SND", bytes);
    }
    auto write = std::make_unique<TransportEvent>();
    write->kind = TransportEventKind::kWriteFinished;
    write->length = static_cast<uint32_t>(bytes.size());
    write->data = std::move(bytes);
    write->offset = 0;
    if (usb) {
        usbWrite_ = write.get();
        usb_->Write(std::move(write));
    } else {
        serialWrite_ = write.get();
        serial_->Write(std::move(write));
    }
}

void CThreadRawComm::EndRecord(std::unique_ptr<LinkRecord> record, int32_t code) {
    record->code = code;
    if (record->onSent) {
        LinkSentFn onSent = record->onSent;
        onSent(std::move(record));
    }
}

void CThreadRawComm::OnTransportEvent(bool usb, std::unique_ptr<TransportEvent> record) {
    if (stopping_.load()) {
        return;
    }
    Transport& transport = usb ? static_cast<Transport&>(*usb_) : static_cast<Transport&>(*serial_);
    const TransportEvent*& inFlight = usb ? usbWrite_ : serialWrite_;
    switch (record->kind) {
        case TransportEventKind::kActivity:
            transport.HandleEvent(std::move(record));
            return;
        case TransportEventKind::kReceived:
            if (record->length == 0 || record->data.empty()) {
                return;
            }
            if (TraceOn()) {
                Trace(usb ? "US" : "RS", "RCV", record->data);
            }
            OnReceived(record->data);
            return;
        case TransportEventKind::kWriteFinished: {
            if (record.get() != inFlight) {
                return;
            }
            if (record->code == ZUL_OK) {
                if (record->written > 0) {
                    record->offset += record->written;
                    if (record->offset < record->length) {
                        transport.Write(std::move(record));  // the rest of the frame follows
                        return;
                    }
                } else {
                    record->code = transport.NotSentCode();
                }
            }
            inFlight = nullptr;
            if (!current_) {
                SendNext();
                return;
            }
            current_->code = record->code;
            current_->osError = record->osError;
            current_->detail1 = record->detail1;
            current_->detail2 = record->detail2;
            if (current_->code != ZUL_OK && environment_.ReconnectMode() != 0) {
                StartReconnect(current_->code);
                return;
            }
            int32_t code = current_->code;
            EndRecord(std::move(current_), code);
            SendNext();
            return;
        }
        case TransportEventKind::kDeviceError:
            if (!transport.IsOpen() || record->session != transport.Session()) {
                return;  // from a device closed since
            }
            if (environment_.ReconnectMode() != 0) {
                StartReconnect(record->code);
            } else {
                NotifyWindow(record->code);
            }
            return;
    }
}

void CThreadRawComm::OnConnect(Message& message) {
    auto* result = reinterpret_cast<ResultInfo*>(message.wParam);
    auto* done = reinterpret_cast<Event*>(message.lParam);
    reconnecting_ = false;
    ClearResult(result);
    ReadSettings();
    receiveBuffer_.clear();
    int32_t code = OpenTransport(result);
    opened_ = code == ZUL_OK;
    if (!opened_) {
        Diagnose("OPEN", {}, "failed: " + FailureText(*result));
    }
    done->Set();
}

int32_t CThreadRawComm::OpenTransport(ResultInfo* result) {
    if (settings_.communicationType == kCommunicationUsb) {
        return usb_->Open(result, settings_.usbConnect, UsbAliasOf(settings_, settings_.usbConnect),
                          [this](std::unique_ptr<TransportEvent> event) {
                              Post(kMsgRawUsbEvent, 0, 0, std::move(event));
                          });
    }
    if (settings_.communicationType == kCommunicationRs232c) {
        return serial_->Open(result, settings_.rs232cPort, settings_.rs232cBaudrate,
                             settings_.rs232cDateLen, settings_.rs232cParity,
                             [this](std::unique_ptr<TransportEvent> event) {
                                 Post(kMsgRawSerialEvent, 0, 0, std::move(event));
                             });
    }
    ClearResult(result);
    return ZUL_OK;
}

void CThreadRawComm::AbortAll(int32_t code) {
    serialWrite_ = nullptr;
    usbWrite_ = nullptr;
    opened_ = false;
    if (current_) {
        EndRecord(std::move(current_), code);
    }
    if (pending_) {
        EndRecord(std::move(pending_), code);
    }
    serial_->Close();
    usb_->Close();
    receiveBuffer_.clear();
}

void CThreadRawComm::StartReconnect(int32_t cause) {
    if (reconnecting_) {
        return;
    }
    Diagnose("RECONNECT", lastRequest_, "link lost (code " + std::to_string(cause) + ")");
    AbortAll(ZUL_ERR_OFFLINE);
    reconnectCountdown_ = environment_.ReconnectTime();
    attemptsLeft_ = environment_.ReconnectRetry();
    attemptInProgress_ = false;
    reconnecting_ = true;
}

void CThreadRawComm::OnTick() {
    ReconnectTick();
}

void CThreadRawComm::ReconnectTick() {
    if (!reconnecting_ || attemptInProgress_) {
        return;
    }
    if (--reconnectCountdown_ > 0) {
        return;
    }
    reconnectCountdown_ = environment_.ReconnectTime();
    if (attemptsLeft_ <= 0) {
        GiveUp();
        return;
    }
    --attemptsLeft_;
    attemptInProgress_ = true;
    AbortAll(ZUL_ERR_OFFLINE);
    receiveBuffer_.clear();
    ResultInfo result;
    int32_t code = OpenTransport(&result);
    std::string attempt = "attempt " +
                          std::to_string(environment_.ReconnectRetry() - attemptsLeft_) + " of " +
                          std::to_string(environment_.ReconnectRetry()) + ": ";
    Diagnose("RECONNECT", lastRequest_,
             attempt + (code == ZUL_OK ? "link open" : "failed, " + FailureText(result)));
    if (code == ZUL_OK) {
        opened_ = true;
        reconnecting_ = false;
        attemptInProgress_ = false;
        if (onReconnected_) {
            onReconnected_();
        }
        SendNext();
        return;
    }
    attemptInProgress_ = false;
    if (attemptsLeft_ <= 0) {
        GiveUp();
    }
}

void CThreadRawComm::GiveUp() {
    reconnecting_ = false;
    const std::string attempts = std::to_string(environment_.ReconnectRetry()) + " attempts failed";
    Diagnose("GIVEUP", lastRequest_, attempts);
    LogToStderr(LogLevel::kError, "link", "reconnect given up: " + attempts);
    NotifyWindow(settings_.communicationType == kCommunicationRs232c ? ZUL_ERR_RS_DEVICE
                                                                     : ZUL_ERR_USB_DEVICE);
}

void CThreadRawComm::NotifyWindow(int32_t code) {
    if (window_ == nullptr) {
        return;
    }
    std::unique_ptr<MessagePayload> none;
    window_->PostWindowMessage(kWmLinkDeviceError, code, 0, none);
}

void CThreadRawComm::OnReceived(const std::string& bytes) {
    const bool bccOn = settings_.rs232cBCC != 0;
    // A frame can only end, or be dropped as corrupted, with a carriage return. Only then is
    // what the extraction takes out kept, to find out what it dropped.
    const bool ends = bytes.find(kCarriageReturn) != std::string::npos;
    std::string consumed;
    if (ends) {
        consumed.reserve(receiveBuffer_.size() + bytes.size());
        consumed.append(receiveBuffer_).append(bytes);
    }
    std::vector<std::string> frames = ExtractFrames(receiveBuffer_, bytes, bccOn);
    if (!consumer_) {
        return;
    }
    std::vector<DiscardedFrame> discarded;
    if (ends) {
        consumed.resize(consumed.size() - receiveBuffer_.size());  // what stays is the tail
        if (consumed.size() != WireBytes(frames)) {
            discarded = FindDiscardedFrames(consumed, frames, bccOn);
        }
    }
    // In line order, so that a dropped frame is told to the request it arrived for.
    size_t nextDiscard = 0;
    for (size_t i = 0; i <= frames.size(); ++i) {
        for (; nextDiscard < discarded.size() && discarded[nextDiscard].framesBefore <= i;
             ++nextDiscard) {
            auto notice = std::make_unique<LinkRecord>();
            notice->inbound = InboundKind::kDiscardedFrame;
            notice->reason = discarded[nextDiscard].reason;
            notice->text = std::move(discarded[nextDiscard].bytes);
            consumer_(std::move(notice));
        }
        if (i < frames.size()) {
            auto received = std::make_unique<LinkRecord>();
            received->text = std::move(frames[i]);
            consumer_(std::move(received));
        }
    }
    if (!receiveBuffer_.empty()) {
        // The start of a frame is buffered: a reply is still arriving. At high line speeds
        // bytes come in many small reads; one notice per kProgressSpacing is enough for a
        // time-out counted in 100 ms ticks, and spares the controller thread a wake-up per read.
        auto now = std::chrono::steady_clock::now();
        if (now - lastProgress_ < kProgressSpacing) {
            return;
        }
        lastProgress_ = now;
        auto progress = std::make_unique<LinkRecord>();
        progress->inbound = InboundKind::kReplyProgress;
        consumer_(std::move(progress));
    }
}

bool CThreadRawComm::TraceOn() const {
    return settings_.logEnableFlag != 0 || TraceTapActive();
}

void CThreadRawComm::Emit(const std::string& line) {
    if (traceSink_) {
        traceSink_(line);
    } else {
        EmitTraceLine(line, settings_.logEnableFlag != 0);
    }
}

void CThreadRawComm::Trace(std::string_view prefix, std::string_view direction,
                           std::string_view bytes) {
    Emit(FormatTraceLine(prefix, direction, bytes));
}

void CThreadRawComm::Diagnose(std::string_view event, std::string_view request,
                              std::string_view text) {
    if (TraceOn()) {
        const char* prefix = settings_.communicationType == kCommunicationUsb ? "US" : "RS";
        Emit(FormatDiagnosticLine(prefix, event, request, text));
    }
}

}  // namespace zul
