// SPDX-License-Identifier: GPL-3.0-or-later
// Base of the serial and the USB transport. A transport opens one device, sends one write
// record at a time and watches the device on a watcher thread of its own. Everything it
// observes reaches its owner as TransportEvent records through one callback, in the order it
// was observed: activity (continued by HandleEvent on the owner's thread), bytes received,
// write finished, device error (once per transition into the error state).
//
// Open, Write, HandleEvent and Close run on the owner's thread only; the watcher thread only
// waits, reads, completes writes the device could not take at once, and sets the error flag.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "link/TransportEvent.h"

namespace zul {

// Longest single read from a device.
inline constexpr size_t kTransportReadChunk = 33500;
// How long the watcher waits before it looks at its stop flag again.
inline constexpr int kWatcherWaitMs = 100;

class Transport {
public:
    virtual ~Transport() = default;
    Transport(const Transport&) = delete;
    Transport& operator=(const Transport&) = delete;

    bool IsOpen() const { return open_.load(); }
    bool HasError() const { return error_.load(); }
    // Number of the current open; records carry the number of the open that made them.
    uint64_t Session() const { return session_.load(); }

    // Starts sending data[offset..length). The record comes back through the callback as a
    // write-finished record with code and written set (or is dropped when there is none).
    virtual void Write(std::unique_ptr<TransportEvent> record) = 0;
    // Continues the I/O reported by an activity record. Records of an earlier open, and any
    // record while closed, are dropped.
    void HandleEvent(std::unique_ptr<TransportEvent> record);
    // Stops the watcher, drops a write in flight and closes the device. Safe when closed.
    virtual void Close() = 0;

    // Result code of a write refused because the device is closed or in error.
    virtual int32_t NotSentCode() const = 0;
    // Result code of a device error record.
    virtual int32_t DeviceErrorCode() const = 0;

protected:
    Transport() = default;

    // Stores the callback and clears the error state, the write in flight and the pending flag.
    void Attach(TransportCallback callback);
    // Starts a new session: records made from now on carry its number.
    void BeginSession() { ++session_; }
    std::unique_ptr<TransportEvent> NewEvent(TransportEventKind kind) const;
    // Hands the record to the callback, or drops it when none is installed.
    void Notify(std::unique_ptr<TransportEvent> record);
    // Finishes a write record at once with the code (kind write-finished, written 0).
    void FinishWriteNow(std::unique_ptr<TransportEvent> record, int32_t code, int32_t osError);
    // Watcher side: sets the error flag; on the transition reports one device error record.
    // Returns true on the transition.
    bool RaiseDeviceError(int32_t osError);
    // Reports that the write in flight completed (bytes) or failed (bytes 0, error flag set).
    void NotifyWriteDone(uint32_t bytes);

    std::atomic<bool> open_{false};
    std::atomic<bool> error_{false};
    std::atomic<bool> stop_{false};
    std::atomic<uint64_t> session_{0};
    // The write record in flight; touched on the owner's thread only.
    std::unique_ptr<TransportEvent> inFlight_;

private:
    TransportCallback callback_;
};

}  // namespace zul
