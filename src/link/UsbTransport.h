// SPDX-License-Identifier: GPL-3.0-or-later
// The USB transport: an FTDI bridge through libftdi1 at 921,600 bit/s 8N1, with the bridge's
// event character set to carriage return and its latency timer to 2 ms, so that a reply
// leaves the bridge as soon as its last byte is in. A reader thread takes the watcher's place.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "base/ResultInfo.h"
#include "link/Transport.h"

namespace zul {

class FtdiLibrary;
struct FtdiContext;

inline constexpr int kUsbBaudrate = 921600;
inline constexpr unsigned char kUsbLatencyTimerMs = 2;

class UsbTransport final : public Transport {
public:
    // Uses the process-wide library unless one is given (which must outlive the transport).
    explicit UsbTransport(FtdiLibrary* library = nullptr);
    ~UsbTransport() override;

    // Opens the device the identification text names: by serial number when the text ends in
    // "(<serial>)", else by the whole text as description. Returns 0 at once when already
    // open; on failure ZUL_ERR_FT_USB_OPEN with the library's error, detail1 = the text,
    // detail2 = deviceName (the user's name for it).
    int32_t Open(ResultInfo* result, const std::string& identification,
                 const std::string& deviceName, TransportCallback callback);

    void Write(std::unique_ptr<TransportEvent> record) override;
    void Close() override;
    int32_t NotSentCode() const override { return ZUL_ERR_USB_SEND; }
    int32_t DeviceErrorCode() const override { return ZUL_ERR_USB_DEVICE; }

private:
    FtdiLibrary& Library();
    // Opens the first device that matches; the library's error code (negative) or 0.
    int OpenMatching(const std::string& identification);
    int Configure();
    void ReaderBody();
    void ReleaseContext();

    FtdiLibrary* library_;
    FtdiContext* context_ = nullptr;
    bool deviceOpen_ = false;
    std::thread reader_;
    std::mutex stopMutex_;
    std::condition_variable stopCv_;
};

}  // namespace zul
