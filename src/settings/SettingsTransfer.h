// SPDX-License-Identifier: GPL-3.0-or-later
// Moves settings between the controller's registers and a settings store: read all (all 16
// banks and the system words), write all, read the system settings and write them. Each run
// works on a private copy of the store it was given and sends its commands through the
// communication controller; progress goes to a callback as a percentage, and a cancel request
// ends the run with ZUL_ERR_ABORT at once (the request in flight is withdrawn).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "base/ResultInfo.h"
#include "link/CancellableGate.h"
#include "link/CommGate.h"
#include "link/Event.h"
#include "link/LinkEnvironment.h"
#include "settings/SettingsStore.h"

namespace zul {

class UiDefinition;

enum class TransferOperation : int32_t {
    kReadAll = 0,
    kWriteAll = 1,
    kReadSystem = 2,
    kWriteSystem = 3,
};

// Called with 0..100 on the thread that runs the transfer.
using TransferProgressFn = std::function<void(int32_t percent)>;

// The threshold entry (0-based) from which the controller needs the sampling-cycle check and
// may restart its link after system settings change.
inline constexpr size_t kTransferVersionEntry = 4;

class SettingsTransfer {
public:
    // Takes a private copy of source. The references must outlive the transfer: a transfer
    // ends (Run returns, or Wait after Start) before the communication threads are stopped.
    SettingsTransfer(TransferOperation operation, const SettingsStore& source, CommGate& gate,
                     LinkEnvironment& environment, const UiDefinition& ui);
    ~SettingsTransfer();
    SettingsTransfer(const SettingsTransfer&) = delete;
    SettingsTransfer& operator=(const SettingsTransfer&) = delete;

    void SetProgress(TransferProgressFn progress) { progress_ = std::move(progress); }

    // Runs the operation on the calling thread and returns its code.
    int32_t Run();

    // Runs the operation on a worker thread; onFinished (optional) is called there at the end,
    // after the completion event is set. False when already started.
    bool Start(std::function<void()> onFinished = {});
    // Waits for a started run to end (no-op otherwise).
    void Wait();
    // Stops the run with ZUL_ERR_ABORT: a request it is waiting for is withdrawn, and no
    // further request is sent. Callable from any thread except the communication threads.
    void Cancel();
    bool Finished() const { return finished_.load(); }

    const ResultInfo& Result() const { return result_; }
    // The private store: after a successful read, the values read.
    SettingsStore& Store() { return store_; }
    TransferOperation Operation() const { return operation_; }

private:
    struct Walk;

    int32_t ReadAll();
    int32_t WriteAll();
    int32_t ReadSystem();
    int32_t WriteSystem();
    int32_t RunInner();

    bool Supported(int32_t itemId) const;
    bool Cancelled();
    void Report(int32_t percent);
    int32_t ReadSingle(std::string_view command, int32_t target, int32_t* value);
    int32_t WriteSingle(std::string_view command, int32_t target, int32_t value);

    TransferOperation operation_;
    SettingsStore store_;
    CancellableGate gate_;
    LinkEnvironment& environment_;
    const UiDefinition& ui_;
    TransferProgressFn progress_;
    ResultInfo result_;
    std::atomic<int32_t> cancel_{0};
    std::atomic<bool> finished_{false};
    int32_t phase_ = 0;
    Event done_;
    std::thread worker_;
};

}  // namespace zul
