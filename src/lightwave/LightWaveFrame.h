// SPDX-License-Identifier: GPL-3.0-or-later
// One captured received-light frame of a sensor head: header words, 1024 samples and one
// further word, held as 1040 signed fields numbered 1 to 1040.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace zul {

inline constexpr int32_t kLightWaveFields = 1040;
inline constexpr int32_t kLightWaveSamples = 1024;
inline constexpr int32_t kFirstSampleField = 16;  // sample s (from 1) is field 15 + s
inline constexpr int32_t kExtraWordField = 1040;
inline constexpr int32_t kLightWaveHeads = 2;

// Word addresses of the controller's data area that hold a capture.
inline constexpr int32_t kCaptureTriggerAddress = 17200;
inline constexpr int32_t kFrameAreaFirst = 17201;
inline constexpr int32_t kFrameAreaLast = 19278;
inline constexpr int32_t kFrameAreaWords = kFrameAreaLast - kFrameAreaFirst + 1;  // 2078
inline constexpr int32_t kExtraWordAddressA = 44;
inline constexpr int32_t kExtraWordAddressB = 45;

struct LightWaveFrame {
    std::array<int32_t, kLightWaveFields> fields{};

    // Field number n from 1 to 1040.
    int32_t& Field(int32_t n) { return fields[static_cast<size_t>(n - 1)]; }
    int32_t Field(int32_t n) const { return fields[static_cast<size_t>(n - 1)]; }
    // Sample s from 1 to 1024.
    int32_t& Sample(int32_t s) { return Field(kFirstSampleField - 1 + s); }
    int32_t Sample(int32_t s) const { return Field(kFirstSampleField - 1 + s); }

    bool operator==(const LightWaveFrame&) const = default;
};

// Fills the frames of Head A and Head B from the words of addresses 17201..19278 (area, exactly
// kFrameAreaWords words) and the further words of addresses 44 and 45. The header words come in
// pairs whose odd address belongs to Head A; fields 12 and 13 take their pair crosswise.
// Returns false, leaving both frames untouched, when area does not hold kFrameAreaWords words.
bool FillLightWaveFrames(std::span<const uint16_t> area, uint16_t extraA, uint16_t extraB,
                         LightWaveFrame& headA, LightWaveFrame& headB);

}  // namespace zul
