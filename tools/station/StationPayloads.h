// SPDX-License-Identifier: GPL-3.0-or-later
// The JSON payloads a station publishes under qvm8/<id>/. Each one holds what qvm8ctl --json
// prints for the same result, with the station's own fields added (see docs/station.md).
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "Outbox.h"
#include "ResultJson.h"

namespace zul {
struct BufferingData;
}

namespace zul::station {

// UTC in ISO 8601 with milliseconds: "2026-12-09T07:30:00.125Z".
std::string UtcTimestamp(std::chrono::system_clock::time_point time);

// Whether the station reaches its controller.
enum class ControllerLink { kConnected, kLost };

struct StatusFields {
    std::vector<ctl::JsonField> info;  // as `qvm8ctl --json info`
    ControllerLink controller = ControllerLink::kLost;
    int32_t bank = 0;
    uint64_t measureDropped = 0;  // measure messages dropped while the broker was away
};
// The retained status of a running station.
std::string StatusPayload(const StatusFields& status);
// The retained status of a station that is gone (its last will, and what a clean stop leaves).
std::string OfflinePayload();

// One measurement cycle: seq and time, then the fields of `qvm8ctl --json measure`.
std::string MeasurePayload(uint64_t seq, std::chrono::system_clock::time_point time,
                           const std::vector<ctl::JsonField>& measure);

// The comparison of the controller's settings with the reference file.
std::string DriftPayload(const std::string& reference, const SettingsComparison& comparison,
                         std::chrono::system_clock::time_point time);

// Most values in one buffer message: a broker's queue counts messages, not values.
inline constexpr int32_t kValuesPerBlock = 1000;

// The messages of one buffering run: the values of each output that holds any, in blocks of at
// most kValuesPerBlock, on buffer/<run>/<block> (blocks numbered from 1 over both outputs), then
// buffer/<run>/done with the counts. Caller holds data.mutex.
std::vector<OutboxMessage> BufferRunMessages(const std::string& prefix, uint64_t run,
                                             const BufferingData& data,
                                             std::chrono::system_clock::time_point time);

}  // namespace zul::station
