// SPDX-License-Identifier: GPL-3.0-or-later
// The JSON forms of qvm8ctl's results that other programs publish as well (qvm8-station): the
// controller's identity (`info`), one measurement cycle (`measure`) and the comparison of the
// controller's settings with a settings file (`diff`), and the JSON text helpers they use.
// A small library of its own, so that a script that reads one program's output reads the
// other's.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/SettingsDiff.h"

namespace zul {
class Application;
class SettingsStore;
}  // namespace zul

namespace zul::ctl {

// A JSON value already written out (string, number, object).
struct JsonField {
    std::string key;
    std::string value;  // JSON text
};
std::string JsonString(std::string_view text);
std::string JsonNumber(int64_t value);
std::string JsonReal(double value, int decimals = 6);
// {"key": value, ...} in the order given.
std::string JsonObject(const std::vector<JsonField>& fields);

// type, version, sensor_a, sensor_b (the identification stored at connect) and version_word.
std::vector<JsonField> InfoJson(const SettingsStore& store, uint32_t firmwareVersion);

// out1, out2 (value, states, inputs, zero-set and alarm code of each output, as the last
// measurement cycle stored them) and headA, headB (laser-off state in the controller's current
// bank).
std::vector<JsonField> MeasureJson(const SettingsStore& store);

// Compares the settings file store with the settings read from the connected controller (read
// as read-all and read-system read them), over the values those reads store.
SettingsComparison CompareWithController(Application& app, const SettingsStore& file,
                                         const SettingsStore& controller);
// [{"section": ..., "key": ..., "file": ..., "controller": ...}, ...]
std::string DifferencesJson(const SettingsComparison& comparison);

}  // namespace zul::ctl
