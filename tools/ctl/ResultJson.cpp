// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResultJson.h"

#include <cstdio>

#include "app/Application.h"
#include "link/LinkSettings.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"

namespace zul::ctl {

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                    out += escaped;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
    return out;
}

std::string JsonNumber(int64_t value) {
    return std::to_string(value);
}

std::string JsonReal(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string JsonObject(const std::vector<JsonField>& fields) {
    std::string text = "{";
    for (size_t i = 0; i < fields.size(); ++i) {
        text += (i ? ", " : "") + JsonString(fields[i].key) + ": " + fields[i].value;
    }
    return text + "}";
}

std::vector<JsonField> InfoJson(const SettingsStore& store, uint32_t firmwareVersion) {
    auto lock = store.Lock();
    return {{"type", JsonString(store.GetText<kCtrlType>())},
            {"version", JsonString(store.GetText<kCtrlVersion>())},
            {"sensor_a", JsonString(store.GetText<kCtrlSensorA>())},
            {"sensor_b", JsonString(store.GetText<kCtrlSensorB>())},
            {"version_word", JsonNumber(firmwareVersion)}};
}

namespace {

std::string OutputJson(const SettingsStore& store, int out) {
    return JsonObject({
        {"value", JsonReal(store.GetDouble<kMeasMeasureValue>(out))},
        {"strobe", JsonNumber(store.GetInt<kMeasStrobe>(out))},
        {"hi", JsonNumber(store.GetInt<kMeasHiState>(out))},
        {"go", JsonNumber(store.GetInt<kMeasGoState>(out))},
        {"low", JsonNumber(store.GetInt<kMeasLowState>(out))},
        {"extension", JsonNumber(store.GetInt<kMeasExtension>(out))},
        {"alarm", JsonNumber(store.GetInt<kMeasAlarmState>(out))},
        {"zero_set", JsonNumber(store.GetInt<kMeasZeroSet>(out))},
        {"zero_set_value", JsonReal(store.GetDouble<kMeasZeroSetVal>(out))},
        {"timing", JsonNumber(store.GetInt<kMeasTiming>(out))},
        {"reset", JsonNumber(store.GetInt<kMeasReset>(out))},
        {"alarm_code", JsonNumber(store.GetInt<kMeasAlarmCode>(out))},
    });
}

}  // namespace

std::vector<JsonField> MeasureJson(const SettingsStore& store) {
    auto lock = store.Lock();
    const int32_t bank = store.GetInt<kCtrlCurMemNo>();
    std::vector<JsonField> json;
    for (int out = 0; out < 2; ++out) {
        json.push_back({"out" + std::to_string(out + 1), OutputJson(store, out)});
    }
    for (int head = 0; head < 2; ++head) {
        json.push_back(
            {head == 0 ? "headA" : "headB",
             JsonObject({{"laser_off", JsonNumber(store.GetInt<kHeadLaserOff>(bank, head))}})});
    }
    return json;
}

SettingsComparison CompareWithController(Application& app, const SettingsStore& file,
                                         const SettingsStore& controller) {
    ControllerReadScope scope;
    const uint32_t firmware = app.FirmwareVersion();
    scope.supported = [&app, firmware](int32_t id) {
        return app.Store().IsItemSupported(app.Ui(), firmware, id);
    };
    scope.systemSettings = true;
    // The same condition under which the read of the system settings asks for it.
    scope.outMode = scope.supported(kMemCmnRs232cOutMode) &&
                    app.Store().GetInt<kSoftCommunicationType>() != kCommunicationRs232c;
    const std::vector<SettingInstance> instances = ControllerReadInstances(scope);
    return CompareSettings(file, controller, instances);
}

std::string DifferencesJson(const SettingsComparison& comparison) {
    std::string list = "[";
    for (size_t i = 0; i < comparison.differences.size(); ++i) {
        const SettingDifference& d = comparison.differences[i];
        list += (i ? ", " : "");
        list += JsonObject({{"section", JsonString(d.instance.section)},
                            {"key", JsonString(d.instance.key)},
                            {"file", JsonString(d.fileText)},
                            {"controller", JsonString(d.controllerText)}});
    }
    return list + "]";
}

}  // namespace zul::ctl
