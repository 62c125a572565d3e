// SPDX-License-Identifier: GPL-3.0-or-later
// The record a transport reports through its notification callback: port activity seen by its
// watcher, bytes received, a write finished, or a device error.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "base/ResultInfo.h"
#include "link/MessageThread.h"

namespace zul {

enum class TransportEventKind : int32_t {
    kActivity = 1,       // the watcher saw an operation complete; HandleEvent continues it
    kReceived = 2,       // data holds the bytes received
    kWriteFinished = 3,  // a write record (data = bytes to send) has been finished off
    kDeviceError = 4,    // the device failed; sent once per transition into the error state
};

struct TransportEvent : MessagePayload {
    int32_t code = ZUL_OK;
    int32_t osError = 0;
    std::string detail1;
    std::string detail2;
    TransportEventKind kind = TransportEventKind::kActivity;
    std::string data;  // bytes to send (write record) or bytes received
    uint32_t length = 0;
    bool readDone = false;  // activity: bytes arrived (they travel in data)
    uint32_t bytesRead = 0;
    bool writeDone = false;  // activity: the write in flight completed or failed
    uint32_t bytesWritten = 0;
    bool portEventDone = false;  // activity: a port event (data ready) was seen
    uint32_t offset = 0;         // write record: bytes of data already written
    uint32_t written = 0;        // write record: bytes written by the last write
    uint64_t session = 0;        // which open of the transport produced the record
};

// The transport's notification callback; it owns the record it is given.
using TransportCallback = std::function<void(std::unique_ptr<TransportEvent>)>;

}  // namespace zul
