// SPDX-License-Identifier: GPL-3.0-or-later
#include "StationPayloads.h"

#include <ctime>

#include "buffering/BufferingData.h"

namespace zul::station {

using ctl::JsonField;
using ctl::JsonNumber;
using ctl::JsonObject;
using ctl::JsonReal;
using ctl::JsonString;

std::string UtcTimestamp(std::chrono::system_clock::time_point time) {
    const auto sinceEpoch = time.time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count();
    time_t seconds = static_cast<time_t>(ms / 1000);
    long millis = static_cast<long>(ms % 1000);
    if (millis < 0) {
        millis += 1000;
        --seconds;
    }
    tm utc{};
    gmtime_r(&seconds, &utc);
    char text[96];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03ldZ", utc.tm_year + 1900,
                  utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, millis);
    return text;
}

std::string StatusPayload(const StatusFields& status) {
    std::vector<JsonField> fields = status.info;
    fields.push_back({"online", "true"});
    fields.push_back(
        {"controller",
         JsonString(status.controller == ControllerLink::kConnected ? "connected" : "lost")});
    fields.push_back({"bank", JsonNumber(status.bank)});
    fields.push_back({"measure_dropped", JsonNumber(static_cast<int64_t>(status.measureDropped))});
    return JsonObject(fields);
}

std::string OfflinePayload() {
    return JsonObject({{"online", "false"}});
}

std::string MeasurePayload(uint64_t seq, std::chrono::system_clock::time_point time,
                           const std::vector<JsonField>& measure) {
    std::vector<JsonField> fields = {{"seq", JsonNumber(static_cast<int64_t>(seq))},
                                     {"time", JsonString(UtcTimestamp(time))}};
    fields.insert(fields.end(), measure.begin(), measure.end());
    return JsonObject(fields);
}

std::string DriftPayload(const std::string& reference, const SettingsComparison& comparison,
                         std::chrono::system_clock::time_point time) {
    return JsonObject(
        {{"reference", JsonString(reference)},
         {"time", JsonString(UtcTimestamp(time))},
         {"differences", JsonNumber(static_cast<int64_t>(comparison.differences.size()))},
         {"compared", JsonNumber(comparison.compared)},
         {"items", ctl::DifferencesJson(comparison)}});
}

std::vector<OutboxMessage> BufferRunMessages(const std::string& prefix, uint64_t run,
                                             const BufferingData& data,
                                             std::chrono::system_clock::time_point time) {
    std::vector<OutboxMessage> messages;
    const std::string runTopic = prefix + "buffer/" + std::to_string(run) + "/";
    const std::string runNumber = JsonNumber(static_cast<int64_t>(run));
    int32_t counts[2] = {data.HeldCount(0), data.HeldCount(1)};
    for (int out = 0; out < 2; ++out) {
        const std::vector<double>& values = data.outputs[static_cast<size_t>(out)].values;
        for (int32_t first = 1; first <= counts[out]; first += kValuesPerBlock) {
            const int32_t last = std::min(counts[out], first + kValuesPerBlock - 1);
            std::string list = "[";
            list.reserve(static_cast<size_t>(last - first + 1) * 12 + 2);
            for (int32_t n = first; n <= last; ++n) {
                list += (n > first ? ", " : "") + JsonReal(values[static_cast<size_t>(n - 1)]);
            }
            list += "]";
            OutboxMessage message;
            message.kind = "buffer";
            message.topic = runTopic + std::to_string(messages.size() + 1);
            message.payload = JsonObject({{"run", runNumber},
                                          {"output", JsonNumber(out + 1)},
                                          {"first", JsonNumber(first)},
                                          {"values", list}});
            messages.push_back(std::move(message));
        }
    }
    OutboxMessage done;
    done.kind = "buffer";
    done.topic = runTopic + "done";
    done.payload = JsonObject(
        {{"run", runNumber},
         {"time", JsonString(UtcTimestamp(time))},
         {"blocks", JsonNumber(static_cast<int64_t>(messages.size()))},
         {"buffer_type", JsonNumber(data.header[kSlotBufferType])},
         {"out1_values", JsonNumber(counts[0])},
         {"out2_values", JsonNumber(counts[1])},
         {"out1_trigger_count", JsonNumber(data.header[BufferingValueSet::TriggerCount(0)])},
         {"out2_trigger_count", JsonNumber(data.header[BufferingValueSet::TriggerCount(1)])}});
    messages.push_back(std::move(done));
    return messages;
}

}  // namespace zul::station
