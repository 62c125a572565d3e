// SPDX-License-Identifier: GPL-3.0-or-later
// Synchronous controller commands without a frozen window.
//
// RunSynchronous runs a blocking call (a SubmitAndWait, a Connect, a memory-bank command) on a
// worker thread while the GUI thread waits for it in a local QEventLoop, so windows keep
// painting and timers keep firing. Meanwhile every registered window is disabled
// (FormBase::DisableAllWindows) and the wait cursor shows; both are undone when the call ends.
//
// Re-entrancy: a process-wide busy flag is set for the whole call.
// - User input cannot start a second command: every window is disabled, so clicks and keys
//   never reach a control while the local loop runs.
// - Timers and posted messages still run in the local loop. Any handler that would start
//   controller work (the measurement and buffering timers, the light-wave timer, message
//   handlers that send commands) must first check IsSynchronousCommandRunning() and do nothing
//   (or try again on its next tick) while it is true.
// - Should a second RunSynchronous still be reached on the GUI thread, it is refused at once
//   with ZUL_ERR and the call is not run.
// The call runs on another thread: it must not touch widgets, only the core (thread-safe).
#pragma once

#include <cstdint>
#include <functional>

#include "base/ResultInfo.h"

namespace zul::ui {

using SynchronousCall = std::function<int32_t(ResultInfo* info)>;

// Runs call on a worker thread and waits for it in a local event loop (GUI thread only).
// Returns the call's code; info (optional) gets its result.
int32_t RunSynchronous(const SynchronousCall& call, ResultInfo* info = nullptr);

// True while a synchronous command runs (GUI thread).
bool IsSynchronousCommandRunning();

}  // namespace zul::ui
