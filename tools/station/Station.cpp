// SPDX-License-Identifier: GPL-3.0-or-later
#include "Station.h"

#include <mosquitto.h>

#include <set>

#include "MqttClient.h"
#include "Outbox.h"
#include "ResultJson.h"
#include "StationLog.h"
#include "StationState.h"
#include "app/Application.h"
#include "app/ConnectSequence.h"
#include "app/SettingsCommands.h"
#include "link/Commands.h"
#include "link/LinkMessages.h"
#include "link/RequestBuilders.h"
#include "link/SerialPortName.h"
#include "link/ThreadCommControler.h"
#include "measurement/MeasurementCycleRequest.h"
#include "settings/MessageBox.h"
#include "settings/SettingItem.h"

namespace zul::station {

namespace {

inline constexpr uint32_t kMsgMqttConnected = kUserMessage + 310;
inline constexpr uint32_t kMsgMqttDisconnected = kUserMessage + 311;
inline constexpr uint32_t kMsgMqttPublished = kUserMessage + 312;
inline constexpr uint32_t kMsgDeviceError = kUserMessage + 313;
inline constexpr uint32_t kMsgCycleDone = kUserMessage + 314;
inline constexpr uint32_t kMsgFinish = kUserMessage + 315;

constexpr std::chrono::milliseconds kTick(100);
constexpr int32_t kBankTicks = 50;       // the current bank every 5 s
constexpr int32_t kBufferPollTicks = 5;  // the buffering state every 500 ms
constexpr int32_t kStallTicks = 100;     // 10 s connected without an acknowledgement
constexpr int32_t kTicksPerMinute = 600;

}  // namespace

Station::Station(const StationOptions& options, Application& app, MqttClient& mqtt, Outbox& outbox,
                 StationState& state, const SettingsStore* reference)
    : MessageThread("Station", kTick),
      options_(options),
      app_(app),
      mqtt_(mqtt),
      outbox_(outbox),
      state_(state),
      reference_(reference),
      prefix_(options.TopicPrefix()),
      bufferWatch_(app, outbox, state, options.TopicPrefix()),
      worker_("StationWorker") {
    cycleTicks_ = std::max(1, options.cycleMs / 100);
}

Station::~Station() {
    Stop();
}

void Station::OnMqttConnected(int code) {
    Post(kMsgMqttConnected, code);
}

void Station::OnMqttDisconnected(int code) {
    Post(kMsgMqttDisconnected, code);
}

void Station::OnMqttPublished(int mid) {
    Post(kMsgMqttPublished, mid);
}

bool Station::PostWindowMessage(uint32_t id, int64_t wParam, int64_t,
                                std::unique_ptr<MessagePayload>& payload) {
    payload.reset();  // no window notice carries anything the station needs
    if (id == kWmLinkDeviceError) {
        return Post(kMsgDeviceError, wParam);
    }
    return true;
}

void Station::Finish(std::chrono::milliseconds limit) {
    Event done;
    if (Post(kMsgFinish, reinterpret_cast<int64_t>(&done))) {
        if (!done.WaitFor(limit)) {
            // The broker did not answer in time; the station thread must not signal later.
            Event forgotten;
            Post(kMsgFinish, reinterpret_cast<int64_t>(&forgotten), 1);
            forgotten.Wait();
        }
    }
}

void Station::OnStart() {
    worker_.Start();
    watchdogTicks_ =
        static_cast<int32_t>(WatchdogInterval() / std::chrono::microseconds(kTick) / 2);
    status_.info = ctl::InfoJson(app_.Store(), app_.FirmwareVersion());
    StartConnect();
}

void Station::OnStop() {
    halted_.store(true);
    // Blocked jobs end once the link is closed; the worker is joined before the core stops.
    DisconnectController(app_);
    worker_.Stop();
}

void Station::OnMessage(Message& message) {
    switch (message.id) {
        case kMsgRunTask:
            if (auto task = message.Take<Task>()) {
                task->run();
            }
            break;
        case kMsgMqttConnected:
            if (message.wParam == 0) {
                OnBrokerUp();
            } else {
                Log(LogLevel::kError,
                    "the broker refused the connection: " +
                        MqttClient::RefusalText(static_cast<int>(message.wParam)));
            }
            break;
        case kMsgMqttDisconnected:
            if (brokerUp_) {
                brokerUp_ = false;
                if (!finishing_) {
                    Log(LogLevel::kWarning,
                        "the connection to the broker is lost (" +
                            MqttClient::ErrorText(static_cast<int>(message.wParam)) +
                            "); reconnecting");
                    UpdateSystemdStatus();
                }
            }
            break;
        case kMsgMqttPublished: {
            const int mid = static_cast<int>(message.wParam);
            if (mid == offlineMid_ && offlineDone_ != nullptr) {
                offlineDone_->Set();
                offlineDone_ = nullptr;
            }
            auto it = inflight_.find(mid);
            if (it != inflight_.end()) {
                outbox_.Remove(it->second);
                inflight_.erase(it);
                stallTicks_ = 0;
                PumpOutbox();
            }
            break;
        }
        case kMsgDeviceError: {
            // The details the message text names: the port and its device, or the USB
            // controller.
            const int32_t code = static_cast<int32_t>(message.wParam);
            const SettingsStore& store = app_.Store();
            ResultInfo why;
            if (code == ZUL_ERR_USB_DEVICE) {
                SetResult(&why, code, 0, store.GetText<kSoftUsbConnect>());
            } else {
                const int32_t port = store.GetInt<kSoftRs232cPort>();
                SetResult(&why, code, 0, SerialDisplayName(port), SerialDevicePath(port));
            }
            ControllerLost(why);
            break;
        }
        case kMsgCycleDone: {
            std::unique_ptr<MeasurementCycleRequest> request =
                message.Take<MeasurementCycleRequest>();
            if (request) {
                OnCycleDone(std::move(request));
            }
            break;
        }
        case kMsgFinish: {
            auto* done = reinterpret_cast<Event*>(message.wParam);
            if (message.lParam != 0) {
                offlineDone_ = nullptr;  // the waiter gave up
                done->Set();
                break;
            }
            finishing_ = true;
            halted_.store(true);
            int mid = -1;
            if (brokerUp_ &&
                mqtt_.Publish(prefix_ + "status", OfflinePayload(), 1, true, &mid) == 0) {
                offlineMid_ = mid;
                offlineDone_ = done;
            } else {
                done->Set();
            }
            break;
        }
        default:
            break;
    }
}

void Station::OnTick() {
    if (watchdogTicks_ > 0 && --watchdogCountdown_ <= 0) {
        watchdogCountdown_ = watchdogTicks_;
        NotifyWatchdog();
    }
    if (finishing_) {
        return;
    }
    if (brokerUp_ && !inflight_.empty() && ++stallTicks_ >= kStallTicks) {
        // Nothing acknowledged for a long time while connected: hand the messages in flight
        // over again (a broker that lost them never answers them).
        stallTicks_ = 0;
        uint64_t oldest = UINT64_MAX;
        for (const auto& entry : inflight_) {
            oldest = std::min(oldest, entry.second);
        }
        inflight_.clear();
        lastSubmitted_ = oldest - 1;
        PumpOutbox();
    }
    switch (link_) {
        case Link::kConnecting:
        case Link::kLost:
            if (!connectRunning_ && --attemptCountdown_ <= 0) {
                StartConnect();
            }
            return;
        case Link::kConnected:
            break;
    }
    if (--cycleCountdown_ <= 0) {
        cycleCountdown_ = cycleTicks_;
        if (cycleRunning_) {
            // The last cycle is still running: this one is left out. Said once a late cycle
            // has come back whole (one that waits for a controller that has gone quiet is a
            // lost controller, not a slow one).
            ++lateCycles_;
            cycleLate_ = true;
        } else {
            StartCycle();
        }
    }
    if (--bankCountdown_ <= 0 && !bankRunning_) {
        bankCountdown_ = kBankTicks;
        StartBankRead();
    }
    if (reference_ != nullptr) {
        if (options_.driftEveryMin > 0 && --driftCountdown_ <= 0) {
            driftCountdown_ = options_.driftEveryMin * kTicksPerMinute;
            driftDue_ = true;
        }
        if (driftDue_ && !driftRunning_) {
            StartDrift();
        }
    }
    if (options_.buffer && !bufferRunning_ && --bufferCountdown_ <= 0) {
        bufferCountdown_ = kBufferPollTicks;
        StartBufferPoll();
    }
}

// ---- The broker ----

void Station::OnBrokerUp() {
    const bool first = !brokerUp_;
    brokerUp_ = true;
    stallTicks_ = 0;
    if (first) {
        Log(LogLevel::kInfo, "connected to the broker " + options_.brokerHost + ":" +
                                 std::to_string(options_.BrokerPort()));
    }
    if (finishing_) {
        return;
    }
    // A broker that restarted without its store has lost the retained messages.
    PublishStatus();
    if (!lastDrift_.empty()) {
        int mid = 0;
        mqtt_.Publish(prefix_ + "drift", lastDrift_, 1, true, &mid);
    }
    FlushMeasures();
    PumpOutbox();
    UpdateSystemdStatus();
}

void Station::PublishStatus() {
    // The first status says how the first attempt to reach the controller went.
    if (!brokerUp_ || finishing_ || link_ == Link::kConnecting) {
        return;
    }
    int mid = 0;
    mqtt_.Publish(prefix_ + "status", StatusPayload(status_), 1, true, &mid);
}

void Station::PublishMeasure(std::string payload) {
    if (brokerUp_ && measureQueue_.empty()) {
        int mid = 0;
        if (mqtt_.Publish(prefix_ + "measure", payload, 0, false, &mid) == 0) {
            return;
        }
    }
    measureQueue_.push_back(std::move(payload));
    if (measureQueue_.size() > kMeasureQueueLimit) {
        measureQueue_.pop_front();
        ++status_.measureDropped;
    }
}

void Station::FlushMeasures() {
    while (brokerUp_ && !measureQueue_.empty()) {
        int mid = 0;
        if (mqtt_.Publish(prefix_ + "measure", measureQueue_.front(), 0, false, &mid) != 0) {
            return;
        }
        measureQueue_.pop_front();
    }
}

void Station::PumpOutbox() {
    while (brokerUp_ && !finishing_ && inflight_.size() < kOutboxWindow) {
        const uint64_t next = outbox_.NextAfter(lastSubmitted_);
        if (next == 0) {
            return;
        }
        OutboxMessage message;
        if (!outbox_.Load(next, message)) {
            Log(LogLevel::kError, "a queued message cannot be read back and is dropped: " +
                                      outbox_.Folder() + " #" + std::to_string(next));
            outbox_.Remove(next);
            continue;
        }
        int mid = 0;
        if (mqtt_.Publish(message.topic, message.payload, message.qos, message.retain, &mid) !=
            MOSQ_ERR_SUCCESS) {
            return;  // the connection just went; the next connect starts here again
        }
        inflight_[mid] = next;
        lastSubmitted_ = next;
    }
}

// ---- The controller ----

void Station::OnWorker(std::function<void()> job) {
    worker_.PostTask([this, job = std::move(job)] {
        if (!halted_.load()) {
            job();
        }
    });
}

void Station::Back(std::function<void()> apply) {
    Post(kMsgRunTask, 0, 0, MakeTask(std::move(apply)));
}

std::string Station::Describe(const ResultInfo& result) const {
    std::string text = std::string(ResultKey(result.code));
    std::string message = ResultText(app_.Ui(), result);
    for (char& c : message) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return message.empty() ? text : text + ": " + message;
}

void Station::StartConnect() {
    connectRunning_ = true;
    const bool refreshUsb = !options_.usb.has_value();
    OnWorker([this, refreshUsb] {
        ResultInfo result;
        ControllerInfo info;
        int32_t code = OpenAndIdentify(app_, &result, &info, refreshUsb);
        int32_t bank = 0;
        if (code == ZUL_OK) {
            CompleteConnection(app_, info);
            code = ReadWord(*app_.CommControler(), &result, cmd::kReadCurrentMemory, 0, &bank);
            if (code != ZUL_OK) {
                DisconnectController(app_);
            }
        }
        Back([this, code, result, bank] { OnConnectDone(code, result, bank); });
    });
}

void Station::OnConnectDone(int32_t code, const ResultInfo& result, int32_t bank) {
    connectRunning_ = false;
    if (finishing_) {
        return;
    }
    if (code != ZUL_OK) {
        attemptCountdown_ = app_.Reconnect().time;
        const std::string why = Describe(result);
        // The same failure again and again is said once.
        if (why != lastConnectFailure_) {
            lastConnectFailure_ = why;
            Log(LogLevel::kWarning, "cannot reach the controller (" + why + "); trying again");
        }
        if (link_ == Link::kConnecting) {
            link_ = Link::kLost;
            status_.controller = ControllerLink::kLost;
            PublishStatus();
            UpdateSystemdStatus();
        }
        return;
    }
    lastConnectFailure_.clear();
    {
        SettingsStore& store = app_.Store();
        auto lock = store.Lock();
        store.SetInt<kAppCurMemNo>(bank);
        store.SetInt<kCtrlCurMemNo>(bank);
    }
    link_ = Link::kConnected;
    status_.info = ctl::InfoJson(app_.Store(), app_.FirmwareVersion());
    status_.controller = ControllerLink::kConnected;
    status_.bank = bank;
    PublishStatus();
    Log(LogLevel::kInfo, "controller connected: " + app_.Store().GetText<kCtrlType>() + " " +
                             app_.Store().GetText<kCtrlVersion>() + ", bank " +
                             std::to_string(bank));
    cycleCountdown_ = 1;  // the first cycle on the next tick
    bankCountdown_ = kBankTicks;
    bufferCountdown_ = 1;
    driftDue_ = reference_ != nullptr;  // the settings may have changed while it was away
    driftCountdown_ = options_.driftEveryMin * kTicksPerMinute;
    errorReplies_ = 0;
    UpdateSystemdStatus();
}

void Station::ControllerLost(const ResultInfo& why) {
    if (link_ != Link::kConnected || finishing_) {
        return;
    }
    link_ = Link::kLost;
    Log(LogLevel::kWarning, "controller lost (" + Describe(why) + "); reconnecting");
    lastConnectFailure_.clear();
    status_.controller = ControllerLink::kLost;
    PublishStatus();
    // Ends every request of the link, a running cycle and blocked jobs included (they come
    // back failed), so that the next attempt starts on a closed link.
    DisconnectController(app_);
    attemptCountdown_ = app_.Reconnect().time;
    UpdateSystemdStatus();
}

void Station::StartCycle() {
    CThreadMeasurement* measurement = app_.Measurement();
    if (measurement == nullptr) {
        return;
    }
    auto request = std::make_unique<MeasurementCycleRequest>();
    request->onDone = [this](int64_t, std::unique_ptr<MeasurementCycleRequest> done) {
        Post(kMsgCycleDone, 0, 0, std::move(done));  // a station that is gone drops it
    };
    cycleRunning_ = true;
    measurement->StartMeasurementCycle(std::move(request));
}

void Station::OnCycleDone(std::unique_ptr<MeasurementCycleRequest> request) {
    cycleRunning_ = false;
    const bool late = cycleLate_;
    cycleLate_ = false;
    if (link_ != Link::kConnected || finishing_) {
        return;
    }
    const auto now = std::chrono::system_clock::now();
    if (request->result.code == ZUL_OK) {
        errorReplies_ = 0;
        if (late && !lateSaid_) {
            lateSaid_ = true;
            Log(LogLevel::kWarning, "a measurement cycle takes longer than the cycle time of " +
                                        std::to_string(options_.cycleMs) +
                                        " ms; cycles are left out");
        }
        PublishMeasure(MeasurePayload(++seq_, now, ctl::MeasureJson(app_.Store())));
        return;
    }
    if (request->result.code == ZUL_ERR_COMM_RES) {
        // The controller answers, but not with a usable reply: the cycle is left out.
        if (errorReplies_++ == 0) {
            Log(LogLevel::kWarning, "a measurement cycle failed: " + Describe(request->result));
        }
        return;
    }
    ControllerLost(request->result);
}

void Station::StartBankRead() {
    bankRunning_ = true;
    OnWorker([this] {
        ResultInfo result;
        int32_t bank = 0;
        int32_t code = ReadWord(*app_.CommControler(), &result, cmd::kReadCurrentMemory, 0, &bank);
        Back([this, code, bank] {
            bankRunning_ = false;
            if (code != ZUL_OK || link_ != Link::kConnected || bank == status_.bank) {
                return;
            }
            {
                SettingsStore& store = app_.Store();
                auto lock = store.Lock();
                store.SetInt<kAppCurMemNo>(bank);
                store.SetInt<kCtrlCurMemNo>(bank);
            }
            Log(LogLevel::kInfo, "the controller works in bank " + std::to_string(bank));
            status_.bank = bank;
            PublishStatus();
        });
    });
}

void Station::StartDrift() {
    driftRunning_ = true;
    driftDue_ = false;
    OnWorker([this] {
        SettingsStore controller;
        ResultInfo result;
        int32_t code = ReadControllerSettings(app_, controller, false, &result);
        std::string payload;
        size_t differences = 0;
        if (code == ZUL_OK) {
            SettingsComparison comparison =
                ctl::CompareWithController(app_, *reference_, controller);
            differences = comparison.differences.size();
            payload =
                DriftPayload(options_.referenceGiven, comparison, std::chrono::system_clock::now());
        }
        Back([this, code, result, payload = std::move(payload), differences]() mutable {
            OnDriftDone(code, result, std::move(payload), differences);
        });
    });
}

void Station::OnDriftDone(int32_t code, const ResultInfo& result, std::string payload,
                          size_t differences) {
    driftRunning_ = false;
    if (finishing_) {
        return;
    }
    if (code != ZUL_OK) {
        if (link_ == Link::kConnected) {
            Log(LogLevel::kWarning, "the settings drift check failed: " + Describe(result));
        }
        return;  // the next connect, or the next period, checks again
    }
    // Only the newest result counts: older ones still waiting are dropped.
    std::set<uint64_t> keep;
    for (const auto& entry : inflight_) {
        keep.insert(entry.second);
    }
    outbox_.DropKind("drift", keep);
    std::vector<OutboxMessage> message(1);
    message[0].kind = "drift";
    message[0].topic = prefix_ + "drift";
    message[0].payload = payload;
    message[0].qos = 1;
    message[0].retain = true;
    std::string error;
    if (!outbox_.Add(message, error)) {
        Log(LogLevel::kError, "the settings drift result cannot be queued: " + error);
    }
    lastDrift_ = std::move(payload);
    Log(LogLevel::kInfo, "settings drift against " + options_.referenceGiven + ": " +
                             std::to_string(differences) + " difference" +
                             (differences == 1 ? "" : "s"));
    PumpOutbox();
}

void Station::StartBufferPoll() {
    bufferRunning_ = true;
    OnWorker([this] {
        BufferPollOutcome outcome = bufferWatch_.Poll();
        Back([this, outcome] { OnBufferPollDone(outcome); });
    });
}

void Station::OnBufferPollDone(const BufferPollOutcome& outcome) {
    bufferRunning_ = false;
    if (!outcome.note.empty()) {
        Log(LogLevel::kWarning, outcome.note);
    }
    if (outcome.queued) {
        Log(LogLevel::kInfo, "buffering run " + std::to_string(outcome.run) +
                                 " queued: " + std::to_string(outcome.values[0]) +
                                 " values of OUT1, " + std::to_string(outcome.values[1]) +
                                 " of OUT2, " + std::to_string(outcome.messages) + " messages");
        PumpOutbox();
    }
    if (outcome.result.code != ZUL_OK && outcome.result.code != ZUL_ERR_COMM_RES) {
        ControllerLost(outcome.result);
    }
}

void Station::UpdateSystemdStatus() {
    std::string text = std::string(brokerUp_ ? "broker connected" : "broker away") +
                       ", controller " + (link_ == Link::kConnected ? "connected" : "lost");
    NotifyStatus(text);
}

}  // namespace zul::station
