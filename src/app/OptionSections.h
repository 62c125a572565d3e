// SPDX-License-Identifier: GPL-3.0-or-later
// The option records of the UI definition that the application reads at start-up: the version
// threshold list ("ZUL_MODE_V"), the micrometre display ("ZUL_MODE_MICRON") and the reconnect
// settings ("ZUL_RECONNECT_TIME", "ZUL_RECONNECT_RETRY").
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "link/LinkEnvironment.h"
#include "settings/MicronMode.h"

namespace zul {

class UiDefinition;

using VersionThresholds = std::array<uint16_t, kVersionThresholdCount>;

inline constexpr VersionThresholds kDefaultVersionThresholds = {0x123, 0x123, 0x123, 0x200,
                                                                0x200, 0x200, 0x210, 0x224};

// The defaults with the n-th hexadecimal number of the comma list replacing entry n; numbers
// beyond the eighth are ignored, an empty or unreadable number keeps its entry.
VersionThresholds ParseVersionThresholds(std::string_view selectList);
// From the "ZUL_MODE_V" record (the defaults without it).
VersionThresholds ReadVersionThresholds(const UiDefinition& ui);

// From "ZUL_MODE_MICRON": factor (Default), unit (Unit), decimals (MinVal). Active only when the
// record exists and measUnit is non-zero. A factor below 1e-7 in magnitude becomes 1.0.
MicronMode ReadMicronMode(const UiDefinition& ui, int32_t measUnit);

struct ReconnectSettings {
    int32_t time = kDefaultReconnectTime;
    int32_t retry = kDefaultReconnectRetry;
};
// Each value is taken only when it is greater than 0.
ReconnectSettings ReadReconnectSettings(const UiDefinition& ui);

}  // namespace zul
