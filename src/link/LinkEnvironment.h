// SPDX-License-Identifier: GPL-3.0-or-later
// Values the application owns and the link threads read: the reconnect mode flag with its
// time and retry count, and the firmware version with its threshold list. The Application
// holds one LinkEnvironment (or derives from it) and passes it to both link threads.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace zul {

inline constexpr int32_t kDefaultReconnectTime = 5;    // 100 ms ticks between attempts
inline constexpr int32_t kDefaultReconnectRetry = 20;  // attempts before giving up
inline constexpr uint16_t kUnknownFirmwareVersion = 0xFFFF;
inline constexpr size_t kVersionThresholdCount = 8;

// Every accessor may be called from any thread.
class LinkEnvironment {
public:
    // Nonzero while an operation expects the controller to drop or restart the link.
    int32_t ReconnectMode() const { return reconnectMode_.load(); }
    void SetReconnectMode(int32_t on) { reconnectMode_.store(on); }

    int32_t ReconnectTime() const { return reconnectTime_.load(); }
    int32_t ReconnectRetry() const { return reconnectRetry_.load(); }
    // Values not above 0 keep the current ones (start-up applies the UI definition's values).
    void SetReconnectSettings(int32_t time, int32_t retry) {
        if (time > 0) {
            reconnectTime_.store(time);
        }
        if (retry > 0) {
            reconnectRetry_.store(retry);
        }
    }

    uint16_t FirmwareVersion() const { return firmwareVersion_.load(); }
    void SetFirmwareVersion(uint16_t version) { firmwareVersion_.store(version); }

    void SetVersionThreshold(size_t entry, uint16_t version) {
        if (entry < kVersionThresholdCount) {
            thresholds_[entry].store(version);
        }
    }
    // A feature gated by entry n is available when the firmware version is at least entry n.
    bool IsVersionAtLeastThreshold(size_t entry) const {
        return entry < kVersionThresholdCount &&
               firmwareVersion_.load() >= thresholds_[entry].load();
    }

private:
    std::atomic<int32_t> reconnectMode_{0};
    std::atomic<int32_t> reconnectTime_{kDefaultReconnectTime};
    std::atomic<int32_t> reconnectRetry_{kDefaultReconnectRetry};
    std::atomic<uint16_t> firmwareVersion_{kUnknownFirmwareVersion};
    std::array<std::atomic<uint16_t>, kVersionThresholdCount> thresholds_{};
};

}  // namespace zul
