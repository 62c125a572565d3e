// SPDX-License-Identifier: GPL-3.0-or-later
// The worker thread that owns the physical link: it holds the serial and the USB transport,
// opens the one the settings choose, transmits one frame at a time, cuts received bytes into
// frames for its frame consumer, writes the communication trace and reconnects while the
// application's reconnect mode asks for it. It knows nothing about commands or replies.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "link/LinkEnvironment.h"
#include "link/LinkRecord.h"
#include "link/LinkSettings.h"
#include "link/MessageThread.h"
#include "link/TransportEvent.h"
#include "link/WindowPost.h"

namespace zul {

class FtdiLibrary;
class SerialTransport;
class Transport;
class UsbTransport;

inline constexpr std::chrono::milliseconds kLinkTick{100};
// Least time between two notices that a reply is still arriving.
inline constexpr std::chrono::milliseconds kProgressSpacing{20};

class CThreadRawComm : public MessageThread {
public:
    // Takes ownership of each inbound record: a received frame, a frame dropped on the way
    // (InboundKind::kDiscardedFrame) or the notice that a frame is still arriving.
    using FrameConsumer = std::function<void(std::unique_ptr<LinkRecord>)>;
    using TraceSink = std::function<void(std::string_view line)>;

    // The references must outlive the thread. window may be null (no notifications); ftdi null
    // means the process-wide libftdi.
    CThreadRawComm(LinkSettingsSource& settings, LinkEnvironment& environment, WindowSink* window,
                   FtdiLibrary* ftdi = nullptr);
    ~CThreadRawComm() override;

    // Trace and diagnostic lines go to the log (and the trace tap) unless a sink is set here
    // (before Start).
    void SetTraceSink(TraceSink sink);
    // Set before the quit: transport events are then dropped.
    void SetStopping() { stopping_.store(true); }

    // Installs the consumer of received frames and the notice that a reconnect succeeded;
    // both are called on this thread. Call once, before any traffic.
    void SetFrameConsumer(FrameConsumer consumer, std::function<void()> onReconnected);
    // Hands a record over for transmission. False when the thread takes no more messages (the
    // record is then destroyed).
    bool SubmitLink(std::unique_ptr<LinkRecord> record);
    // Withdraws a record (named by its address only) and waits until the thread has done so.
    void CancelLink(const LinkRecord* record);
    // Opens the transport of the settings and waits for the outcome.
    int32_t OpenLink(ResultInfo* result);
    // Ends every record with ZUL_ERR_OFFLINE and closes both transports (does not wait).
    void CloseLink();

protected:
    void OnStart() override;
    void OnMessage(Message& message) override;
    void OnTick() override;
    void OnStop() override;

private:
    struct ConsumerPayload;

    void ReadSettings();
    void SendNext();
    void OnSend(std::unique_ptr<LinkRecord> record);
    void OnCancel(Message& message);
    void OnTransportEvent(bool usb, std::unique_ptr<TransportEvent> record);
    void OnConnect(Message& message);
    int32_t OpenTransport(ResultInfo* result);
    void AbortAll(int32_t code);
    void EndRecord(std::unique_ptr<LinkRecord> record, int32_t code);
    void StartReconnect(int32_t cause);
    void ReconnectTick();
    void GiveUp();
    void NotifyWindow(int32_t code);
    // Cuts received bytes into frames for the consumer, tells it of frames dropped on the way
    // and of a frame still arriving.
    void OnReceived(const std::string& bytes);
    // Trace and diagnostic lines are made when logging is on or a trace tap is set.
    bool TraceOn() const;
    void Emit(const std::string& line);
    void Trace(std::string_view prefix, std::string_view direction, std::string_view bytes);
    void Diagnose(std::string_view event, std::string_view request, std::string_view text);

    LinkSettingsSource& settingsSource_;
    LinkEnvironment& environment_;
    WindowSink* window_;
    FtdiLibrary* ftdi_;
    TraceSink traceSink_;
    std::atomic<bool> stopping_{false};

    // Everything below is touched on this thread only.
    std::unique_ptr<SerialTransport> serial_;
    std::unique_ptr<UsbTransport> usb_;
    std::string receiveBuffer_;
    FrameConsumer consumer_;
    std::function<void()> onReconnected_;
    LinkSettings settings_;
    std::unique_ptr<LinkRecord> pending_;
    std::unique_ptr<LinkRecord> current_;
    std::string lastRequest_;  // text of the last record transmitted, for diagnostic lines
    std::chrono::steady_clock::time_point lastProgress_;  // last notice of a reply arriving
    const TransportEvent* serialWrite_ = nullptr;         // identity of the write record in flight
    const TransportEvent* usbWrite_ = nullptr;
    bool opened_ = false;
    bool reconnecting_ = false;
    bool attemptInProgress_ = false;
    int32_t reconnectCountdown_ = 0;
    int32_t attemptsLeft_ = 0;
};

}  // namespace zul
