// SPDX-License-Identifier: GPL-3.0-or-later
// The RS-232C transport: a termios port in raw mode, opened exclusively, watched by a thread
// that polls the descriptor together with a wake descriptor. "Exclusively" is two things: the
// terminal's exclusive mode (TIOCEXCL, cleared again at close) and an advisory lock on the
// device (flock), which other serial programs honour and which also holds for root.
//
// Received bytes are handed on in whole frames: the watcher keeps what it reads until a
// carriage return is in, the line has been quiet for a character time, or kProgressHold has
// passed since the first byte it keeps (so that a long reply still shows that it is
// arriving). At high line speeds a frame comes in many small reads; this way it costs the
// owner's thread one wake-up instead of one per read.
#pragma once

#include <termios.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "base/ResultInfo.h"
#include "link/Transport.h"

namespace zul {

// Longest time the watcher keeps received bytes of a frame that has not ended.
inline constexpr std::chrono::milliseconds kProgressHold{20};

class SerialTransport final : public Transport {
public:
    SerialTransport() = default;
    ~SerialTransport() override;

    // Opens and configures the port of the index: speed code 0 9600, 1 19200, 2 38400, other
    // 115200; data length 0 seven bits, other eight; parity 0 even, 1 odd, other none; one
    // stop bit, no flow control, DTR and RTS on. Returns 0 at once when already open; on
    // failure ZUL_ERR_OS_RS_OPEN with errno, the display name and the device path. A device
    // another program holds gives osError EBUSY and a detail2 that says it is in use.
    int32_t Open(ResultInfo* result, int32_t portIndex, int32_t speedCode, int32_t dataLengthCode,
                 int32_t parityCode, TransportCallback callback);

    void Write(std::unique_ptr<TransportEvent> record) override;
    void Close() override;
    int32_t NotSentCode() const override { return ZUL_ERR_RS_SEND; }
    int32_t DeviceErrorCode() const override { return ZUL_ERR_RS_DEVICE; }

private:
    void WatcherBody();
    void Wake();
    // Watcher side: hands the kept bytes on as one activity record.
    void DeliverHeld(std::string& held);
    // Watcher side: writes what the port could not take at once. False on a device failure.
    bool ContinuePendingWrite(int& osError);

    int fd_ = -1;
    int wakeFd_ = -1;
    int64_t characterNs_ = 0;  // one character on the line at its speed and format
    std::thread watcher_;

    // Bytes the owner could not write at once; the watcher writes them when the port drains.
    std::mutex writeMutex_;
    const char* pendingData_ = nullptr;
    size_t pendingLength_ = 0;
};

// termios speed constant of a speed code.
unsigned int SerialSpeedOfCode(int32_t speedCode);
// Nanoseconds one character takes on the line of the codes: start bit, data bits, parity bit
// when there is one, stop bit.
int64_t SerialCharacterNs(int32_t speedCode, int32_t dataLengthCode, int32_t parityCode);
// Raw mode with the codes' speed, data length and parity, one stop bit, no flow control.
void ApplyLineSettings(termios& tio, int32_t speedCode, int32_t dataLengthCode, int32_t parityCode);

}  // namespace zul
