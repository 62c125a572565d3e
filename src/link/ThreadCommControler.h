// SPDX-License-Identifier: GPL-3.0-or-later
// The single gate to the controller. Requesters on any thread hand it CommRequests; it keeps
// them in first-in-first-out order, sends exactly one at a time through the raw communication
// thread, recognises the reply that belongs to it, enforces the reply and transmission
// time-outs, and hands the finished request back (waking a waiting caller, calling its
// completion function, or destroying a fire-and-forget request). It also carries connect and
// disconnect to the raw communication thread and resends after a reconnect.
//
// Reconnect mode (the application expects the controller to restart its link): the reply and
// transmission time-outs are suspended and a failed transmission is resent on every tick, but
// a request still ends once it has gone its reply time-out plus the reconnect time times the
// retry count without a sign of its reply: with ZUL_ERR_COMM_TIMEOUT when it was transmitted,
// else with the lost-line code of the transport (ZUL_ERR_RS_DEVICE, ZUL_ERR_USB_DEVICE).
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "link/CommGate.h"
#include "link/CommRequest.h"
#include "link/LinkEnvironment.h"
#include "link/LinkRecord.h"
#include "link/LinkSettings.h"
#include "link/MessageThread.h"

namespace zul {

class CThreadRawComm;

enum class CommState : int32_t {
    kIdle = 0,
    kTransmitting = 1,
    kAwaitingReply = 2,
};

// Frames dropped while one request waited for its reply, by reason.
struct DiscardTally {
    int32_t badBcc = 0;
    int32_t broken = 0;
    int32_t wrongEcho = 0;
    std::string last;  // the last frame dropped

    int32_t Total() const { return badBcc + broken + wrongEcho; }
};

// The detail of a reply time-out that follows its message: empty when nothing was dropped,
// else " Replies discarded: 1 with a bad block check, 2 answering another command."
std::string DiscardDetail(const DiscardTally& tally);

class CThreadCommControler : public MessageThread, public CommGate {
public:
    using TraceSink = std::function<void(std::string_view line)>;

    // The references must outlive the thread.
    CThreadCommControler(CThreadRawComm& raw, LinkSettingsSource& settings,
                         LinkEnvironment& environment);
    ~CThreadCommControler() override;

    // CommGate. Must not be called on this thread or on the raw communication thread. When the
    // thread takes no more requests, SubmitAndWait returns the request with ZUL_ERR_ABORT and
    // Submit destroys it.
    std::unique_ptr<CommRequest> SubmitAndWait(std::unique_ptr<CommRequest> request) override;
    void Submit(std::unique_ptr<CommRequest> request) override;

    // Withdraws a queued or current request (named by its address only) and waits until done.
    // A withdrawn request is destroyed, except one whose caller waits in SubmitAndWait: that
    // caller is woken with ZUL_ERR_ABORT. A request that has already ended is not touched.
    void CancelRequest(const CommRequest* request) override;
    // Opens the link and waits for the outcome.
    int32_t Connect(ResultInfo* result);
    // Closes the link; every request ends with ZUL_ERR_OFFLINE.
    void Disconnect();
    // Re-reads Rs232cTimeout.
    void ReloadTimeout();
    // Diagnostic lines (time-outs, error replies, dropped frames) are made when logging is on
    // or a trace tap is set; they go to the log and the tap, or to a sink set here (before
    // Start) instead.
    void SetTraceSink(TraceSink sink) { traceSink_ = std::move(sink); }
    // Set before the quit: ticks then do nothing.
    void SetStopping() { stopping_.store(true); }
    bool IsConnected() const { return connected_.load(); }

protected:
    void OnStart() override;
    void OnMessage(Message& message) override;
    void OnTick() override;
    void OnStop() override;

private:
    void Enqueue(std::unique_ptr<CommRequest> request);
    void StartNext();
    void Transmit();
    void OnSent(std::unique_ptr<LinkRecord> record);
    void OnFrame(std::unique_ptr<LinkRecord> frame);
    void OnCancel(Message& message);
    void OnConnect(Message& message);
    void Complete();
    void Notify(std::unique_ptr<CommRequest> request);
    void FailAll(int32_t code);
    void LoadTimeoutTicks();
    // A received frame, a dropped one, or the notice that a reply is still arriving.
    void OnInbound(std::unique_ptr<LinkRecord> record);
    void OnDiscarded(DiscardReason reason, std::string_view frame);
    void OnTimeout(std::string_view what);
    // In reconnect mode: resends a request whose transmission failed, and ends one that has
    // waited longer than ReconnectModeLimitTicks.
    void OnReconnectModeTick();
    int32_t ReconnectModeLimitTicks() const;
    void SetLostDevice(ResultInfo& result) const;
    void Diagnose(std::string_view event, std::string_view text);

    CThreadRawComm& raw_;
    LinkSettingsSource& settingsSource_;
    LinkEnvironment& environment_;
    TraceSink traceSink_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> connected_{false};

    // Everything below is touched on this thread only.
    std::deque<std::unique_ptr<CommRequest>> queue_;
    std::unique_ptr<CommRequest> current_;
    const LinkRecord* linkInFlight_ = nullptr;  // identity only; owned by the raw thread
    CommState state_ = CommState::kIdle;
    LinkSettings link_;      // as read with the time-out
    DiscardTally discards_;  // of the current request
    int32_t timeoutTicks_ = 30;
    int32_t replyCountdown_ = 0;
    int32_t awaitedTicks_ = 0;  // ticks since the transmission was reported
    int32_t transmissionCountdown_ = 0;
    int32_t quietTicks_ = 0;  // reconnect mode: ticks the current request went without a sign
    bool resend_ = false;
};

}  // namespace zul
