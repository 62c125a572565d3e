// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement polling thread: one cycle reads a complete snapshot of the controller's live
// state (measured values and judgement states of both outputs, zero-set, timing and reset
// inputs, zero-set offsets, laser-off state of both heads, alarm codes) with thirteen commands
// sent one after another, and decodes every reply into the settings store.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string_view>

#include "link/CommGate.h"
#include "link/CommRequest.h"
#include "link/MessageThread.h"
#include "link/RegisterBlock.h"
#include "measurement/MeasurementCycleRequest.h"
#include "settings/SettingsStore.h"

namespace zul {

// Zero-set offset registers: low word then high word of a signed count of micrometres/1000.
inline constexpr uint32_t kZeroSetRegisterOut1 = 2807;
inline constexpr uint32_t kZeroSetRegisterOut2 = 3007;

// The data of a "%EE#RMB5" reply: per output (OUT1, then OUT2) the measured value as a real of
// 11 characters, then six one-digit states (strobe, HI, GO, LOW, extension, alarm).
struct MeasurementBlock {
    struct Output {
        double value = 0.0;
        std::array<int32_t, 6> states{};
    };
    std::array<Output, 2> outputs{};
};
inline constexpr size_t kMeasurementBlockLength = 2 * (11 + 6);

// Decodes the whole reply (data from offset 7): exactly kMeasurementBlockLength characters,
// each field complete and of its kind. False leaves block in an unspecified state.
bool DecodeMeasurementBlock(std::string_view reply, MeasurementBlock& block);

class CThreadMeasurement : public MessageThread {
public:
    // The references must outlive the thread.
    CThreadMeasurement(CommGate& gate, SettingsStore& store);
    ~CThreadMeasurement() override;

    // Starts a cycle. A request that cannot be posted is destroyed without callback; one that
    // arrives while a cycle runs is destroyed without callback as well.
    void StartMeasurementCycle(std::unique_ptr<MeasurementCycleRequest> request);
    // Ends a running cycle without its callback; a late reply is discarded. Returns once the
    // thread has handled it. Must not be called on this thread.
    void CancelMeasurementCycle();

    // The cycle state, 0 when idle (for tests and diagnostics; read on any thread).
    int32_t CycleState() const { return publishedState_.load(); }

protected:
    void OnMessage(Message& message) override;
    void OnStop() override;

private:
    void BeginCycle(std::unique_ptr<MeasurementCycleRequest> request);
    void OnReply(std::unique_ptr<CommRequest> reply);
    void OnCancel(Event* done);
    void Run();
    void SendTarget(std::string_view command, int32_t target);
    void SendPending(std::unique_ptr<CommRequest> request);
    bool SendNextRegisterFrame();
    void StoreZeroSetValues();
    int32_t TakeRegisterReply(const CommRequest& reply);
    // Decodes the reply of the waiting state into the store; false (nothing stored) when the
    // reply does not decode.
    bool Decode(int32_t waitingState, const CommRequest& reply);
    void Finish();
    void SetState(int32_t state);

    CommGate& gate_;
    SettingsStore& store_;

    // Touched on this thread only.
    std::unique_ptr<MeasurementCycleRequest> cycle_;
    const CommRequest* pending_ = nullptr;  // identity only; owned by the gate while pending
    int32_t state_ = 0;
    RegisterBlock registers_;
    std::atomic<int32_t> publishedState_{0};
};

}  // namespace zul
