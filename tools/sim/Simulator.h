// SPDX-License-Identifier: GPL-3.0-or-later
// The emulated QV-M8 controller on a pseudo-terminal or a serial device.
//
// A Simulator owns one controller (SimController) and one server thread that reads request
// frames from the line, answers them strictly one at a time, and writes the replies. The line
// is a new pseudo-terminal (StartPty; the slave path is what a client opens) or an existing
// serial device (StartDevice). All other calls may come from any thread at any time.
//
// Framing on the line: a request is everything from its "%" up to a carriage return. With the
// block check on, a request whose two characters before the carriage return do not match is
// answered with error 40; with it off they are not looked at. Replies always carry their block
// check, as the controller computes it in either case. A request
// longer than 512 bytes (carriage return included) gets error 43.
//
// Restarts: after its reply to an initialisation the controller restarts. The line stays open,
// as a serial line does when the device behind it restarts, but every request that arrives
// during the restart time is left unanswered; WaitOnline() returns once the restart is over.
//
// Hang-ups (a fault): the line drops (the pseudo-terminal is closed, so a client sees a hang-up;
// a device is closed) and comes back after a while as a new pseudo-terminal; the link path,
// when one is given, is removed while the line is down and then pointed at the new one. A
// client that must find the line again (reconnect mode) should therefore open the link path,
// or ask DevicePath() again once WaitOnline() returns.
//
// Time: the controller samples its heads every 100 us (sampling cycle code 0) of controller
// time, which is the steady clock or, with UseManualClock(true), a clock that only
// AdvanceClock() moves; tests use the latter to get exact, repeatable samples.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "SimController.h"
#include "SimMotion.h"
#include "base/ResultInfo.h"

namespace zul::sim {

// Faults to inject. Counts apply to the next replies (or requests) and count down.
struct SimFaults {
    int badBcc = 0;     // replies with a block check that does not match
    int noise = 0;      // replies preceded by noise bytes (never a carriage return)
    int wrongEcho = 0;  // replies that echo another mnemonic
    int silent = 0;     // requests that get no reply at all
    int delayed = 0;    // replies held back by delayMs in addition to the latency
    int delayMs = 0;
    int splitBytes = 0;    // when non-zero, every reply leaves in chunks of this size ...
    int splitPauseMs = 0;  // ... with this pause between chunks
    int hangupAfter = 0;   // when non-zero, the line drops after this many more requests ...
    int hangupMs = 0;      // ... and comes back after this time
    // When non-zero, this many more requests are answered and then none at all, while the line
    // stays open (a cable pulled at the far end of a serial line); quiet is then set and stays
    // until the faults are set again.
    int quietAfter = 0;
    bool quiet = false;  // no request is answered
};

class Simulator {
public:
    using Trace = std::function<void(std::string_view line)>;

    Simulator();
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Opens a new pseudo-terminal and serves it. With a link path, a symbolic link to the slave
    // is created there (parent folders included) and removed again by Stop.
    int32_t StartPty(ResultInfo* info, const std::string& linkPath = {});
    // Serves an existing serial device (for a null-modem pair), in raw mode.
    int32_t StartDevice(const std::string& device, ResultInfo* info);
    // Stops the server thread, closes the line, saves the state file when one is set.
    void Stop();
    bool Started() const { return thread_.joinable(); }

    // The path a client opens: the pty slave (it changes after a hang-up) or the device.
    std::string DevicePath() const;
    // Waits until the line is up and the controller is not restarting; false when the time
    // runs out first.
    bool WaitOnline(std::chrono::milliseconds timeout);
    // Waits until `count` requests have been received in total since the start (or the last
    // ClearReceivedFrames); false when the time runs out first.
    bool WaitForRequests(size_t count, std::chrono::milliseconds timeout);
    // Waits until no reply is on its way and nothing has crossed the line for `quiet` (a reply
    // to a client that has gone, still leaving byte by byte, has then left); false when the
    // time runs out first.
    bool WaitQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds timeout);

    // Configuration; effective for the next request.
    void SetBcc(bool on);
    void SetFirmware(uint16_t version);
    void SetLatency(std::chrono::microseconds latency);
    // Pace: behave as if the line had its speed. baud 0 takes the speed the client set on the
    // pseudo-terminal (or the device); another value overrides it.
    void SetPace(bool on, int64_t baud = 0);
    void SetRestartTime(std::chrono::milliseconds time);
    // Receives one line per frame received ("<- ...") and sent ("-> ..."), on the server
    // thread, outside the simulator's lock.
    void SetTrace(Trace trace);
    // Keeps the word memory in this file: loads it now when the file exists, saves it at stop
    // and after each bank switch, save and initialisation. Fails when the file exists but
    // cannot be read as a state file.
    int32_t SetStatePath(const std::string& path, ResultInfo* info);
    void SetFaults(const SimFaults& faults);
    SimFaults Faults() const;

    // Controller state.
    void SetTarget(int headIndex, const TargetMotion& motion);
    void SetFixedDisplacement(int headIndex, double mm);
    // With the manual clock, controller time moves only through AdvanceClock.
    void UseManualClock(bool manual);
    void AdvanceClock(std::chrono::microseconds step);

    // Frames received (without carriage return, block check included), oldest first.
    std::vector<std::string> ReceivedFrames() const;
    void ClearReceivedFrames();

    // Direct access to the word memory.
    uint16_t ReadWord(uint32_t address) const;
    std::vector<uint16_t> ReadWords(uint32_t first, uint32_t count) const;
    void WriteWord(uint32_t address, uint16_t value);
    void WriteWords(uint32_t first, const std::vector<uint16_t>& values);

    // Runs f(controller) under the controller's lock (for tests that look deeper).
    template <typename F>
    auto WithController(F&& f) {
        std::lock_guard lock(mutex_);
        AdvanceLocked();
        return f(controller_);
    }

private:
    struct Line;
    struct Server;  // the server thread's loop and its state

    int64_t ControllerNowUs() const;  // needs mutex_
    void AdvanceLocked();
    // Opens the line chosen by StartPty or StartDevice and starts serving it.
    int32_t StartServing(ResultInfo* info);
    void Run();
    void Notify();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    SimController controller_;
    std::unique_ptr<Line> line_;
    std::thread thread_;
    int stopPipe_[2] = {-1, -1};

    // Guarded by mutex_.
    bool bcc_ = true;
    std::chrono::microseconds latency_{0};
    bool pace_ = false;
    int64_t paceBaud_ = 0;
    bool replying_ = false;       // a reply is on its way
    int64_t lineActivityNs_ = 0;  // steady clock of the last bytes read or reply finished
    std::chrono::milliseconds restartTime_{1500};
    Trace trace_;
    std::string statePath_;
    SimFaults faults_;
    bool manualClock_ = false;
    int64_t manualUs_ = 0;
    std::chrono::steady_clock::time_point epoch_;
    std::vector<std::string> received_;
    bool online_ = false;
    std::string devicePath_;
};

}  // namespace zul::sim
