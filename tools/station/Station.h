// SPDX-License-Identifier: GPL-3.0-or-later
// The station thread: it keeps one controller and one broker connection going and moves what
// the controller says to the broker. It counts 100 ms ticks of its own:
//   - the controller: connect (on the worker thread), a measurement cycle every --cycle, the
//     current bank every few seconds, the buffering poll, the settings drift check at connect and
//     every --drift-every minutes; a controller that stops answering is "lost" and is connected
//     again every reconnect time (ZUL_RECONNECT_TIME), without end;
//   - the broker: the retained status, each cycle's values (QoS 0; a bounded queue while the
//     broker is away, the oldest dropped and counted), and the messages of the outbox (QoS 1,
//     a window of them in flight, each removed from the disk when the broker has acknowledged
//     it).
// Everything here runs on the station thread; the MQTT events, the measurement cycles, the
// worker's jobs and the link's device errors reach it as posted messages.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "BufferWatch.h"
#include "StationOptions.h"
#include "StationPayloads.h"
#include "TaskThread.h"
#include "base/ResultInfo.h"
#include "link/Event.h"
#include "link/MessageThread.h"
#include "link/WindowPost.h"

namespace zul {
class Application;
class SettingsStore;
struct MeasurementCycleRequest;
}  // namespace zul

namespace zul::station {

class MqttClient;
class Outbox;
class StationState;

// Measure messages kept while the broker is away.
inline constexpr size_t kMeasureQueueLimit = 1000;
// Outbox messages handed to the MQTT client at a time.
inline constexpr size_t kOutboxWindow = 32;

class Station final : public MessageThread, public WindowSink {
public:
    // reference may be null (no drift check). Every reference must outlive the thread.
    Station(const StationOptions& options, Application& app, MqttClient& mqtt, Outbox& outbox,
            StationState& state, const SettingsStore* reference);
    ~Station() override;

    // MQTT events, from the MQTT client's thread.
    void OnMqttConnected(int code);
    void OnMqttDisconnected(int code);
    void OnMqttPublished(int mid);

    // The link's notices meant for a main window: a device error outside reconnect mode.
    bool PostWindowMessage(uint32_t id, int64_t wParam, int64_t lParam,
                           std::unique_ptr<MessagePayload>& payload) override;

    // Stops all new work and leaves {"online": false} retained on the broker; returns once the
    // broker has acknowledged it, or after limit (a broker that is away then publishes the
    // will instead). Called on another thread before Stop.
    void Finish(std::chrono::milliseconds limit);

    // The worker thread of the blocking jobs (started and stopped with the station).
    TaskThread& Worker() { return worker_; }

protected:
    void OnStart() override;
    void OnMessage(Message& message) override;
    void OnTick() override;
    void OnStop() override;

private:
    enum class Link { kConnecting, kConnected, kLost };

    // The broker.
    void PublishStatus();
    void PublishMeasure(std::string payload);
    void FlushMeasures();
    void PumpOutbox();
    void OnBrokerUp();

    // The controller.
    void StartConnect();
    void OnConnectDone(int32_t code, const ResultInfo& result, int32_t bank);
    void ControllerLost(const ResultInfo& why);
    void StartCycle();
    void OnCycleDone(std::unique_ptr<MeasurementCycleRequest> request);
    void StartBankRead();
    void StartDrift();
    void OnDriftDone(int32_t code, const ResultInfo& result, std::string payload,
                     size_t differences);
    void StartBufferPoll();
    void OnBufferPollDone(const BufferPollOutcome& outcome);

    std::string Describe(const ResultInfo& result) const;
    void UpdateSystemdStatus();
    // Runs a job on the worker; its outcome comes back as a task for this thread.
    void OnWorker(std::function<void()> job);
    void Back(std::function<void()> apply);

    const StationOptions& options_;
    Application& app_;
    MqttClient& mqtt_;
    Outbox& outbox_;
    StationState& state_;
    const SettingsStore* reference_;
    const std::string prefix_;
    BufferWatch bufferWatch_;
    TaskThread worker_;

    std::atomic<bool> halted_{false};  // no more jobs start on the worker

    // Touched on this thread only.
    bool finishing_ = false;
    bool brokerUp_ = false;
    std::map<int, uint64_t> inflight_;  // MQTT message id -> outbox number
    uint64_t lastSubmitted_ = 0;        // highest outbox number handed over by this process
    int32_t stallTicks_ = 0;            // connected ticks without an acknowledgement
    std::deque<std::string> measureQueue_;
    StatusFields status_;
    std::string lastDrift_;
    int offlineMid_ = -1;
    Event* offlineDone_ = nullptr;

    Link link_ = Link::kConnecting;
    bool connectRunning_ = false;
    int32_t attemptCountdown_ = 0;
    std::string lastConnectFailure_;
    int32_t cycleTicks_ = 5;
    int32_t cycleCountdown_ = 0;
    bool cycleRunning_ = false;
    uint64_t seq_ = 0;
    uint64_t lateCycles_ = 0;
    bool cycleLate_ = false;  // the running cycle has outlasted its cycle time
    bool lateSaid_ = false;
    int32_t bankCountdown_ = 0;
    bool bankRunning_ = false;
    bool driftDue_ = false;
    bool driftRunning_ = false;
    int32_t driftCountdown_ = 0;
    int32_t bufferCountdown_ = 0;
    bool bufferRunning_ = false;
    int32_t watchdogTicks_ = 0;
    int32_t watchdogCountdown_ = 0;
    int32_t errorReplies_ = 0;
};

}  // namespace zul::station
