// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OptionSections.h"

#include <cmath>
#include <string>

#include "base/NumberText.h"
#include "settings/UiDefinition.h"

namespace zul {

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

// A decimal integer at the start of the text, 0 when there is none.
long LeadingInteger(const std::string& text) {
    return ParseDecimal(text);
}

}  // namespace

VersionThresholds ParseVersionThresholds(std::string_view selectList) {
    VersionThresholds result = kDefaultVersionThresholds;
    size_t entry = 0;
    while (entry < result.size()) {
        size_t comma = selectList.find(',');
        std::string field(Trim(selectList.substr(0, comma)));
        // Hexadecimal digits, with or without "0x"; anything else keeps the default entry.
        std::string_view digits = field;
        if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
            digits.remove_prefix(2);
        }
        uint32_t value = 0;
        if (ParseHexExact(digits, value) && value <= 0xFFFF) {
            result[entry] = static_cast<uint16_t>(value);
        }
        ++entry;
        if (comma == std::string_view::npos) {
            break;
        }
        selectList.remove_prefix(comma + 1);
    }
    return result;
}

VersionThresholds ReadVersionThresholds(const UiDefinition& ui) {
    const UiControlRecord* record = ui.FindByName("ZUL_MODE_V");
    if (record == nullptr) {
        return kDefaultVersionThresholds;
    }
    return ParseVersionThresholds(record->selectList);
}

MicronMode ReadMicronMode(const UiDefinition& ui, int32_t measUnit) {
    MicronMode mode;
    const UiControlRecord* record = ui.FindByName("ZUL_MODE_MICRON");
    if (record == nullptr) {
        return mode;
    }
    if (!record->defaultValue.text.empty()) {
        // Independent of the process locale (a decimal comma locale must not cut "0.001").
        double factor = ParseReal(record->defaultValue.text);
        mode.factor = std::isfinite(factor) && std::fabs(factor) >= 1e-7 ? factor : 1.0;
    }
    if (!record->unit.empty()) {
        mode.unit = record->unit;
    }
    if (!record->minValue.text.empty()) {
        long decimals = LeadingInteger(record->minValue.text);
        mode.decimals = decimals < 0 ? 0 : decimals > 15 ? 15 : static_cast<int32_t>(decimals);
    }
    mode.active = measUnit != 0;
    return mode;
}

ReconnectSettings ReadReconnectSettings(const UiDefinition& ui) {
    ReconnectSettings settings;
    auto take = [&ui](const char* name, int32_t& target) {
        const UiControlRecord* record = ui.FindByName(name);
        if (record == nullptr) {
            return;
        }
        long value = LeadingInteger(record->defaultValue.text);
        if (value > 0 && value <= 1000000) {
            target = static_cast<int32_t>(value);
        }
    };
    take("ZUL_RECONNECT_TIME", settings.time);
    take("ZUL_RECONNECT_RETRY", settings.retry);
    return settings;
}

}  // namespace zul
