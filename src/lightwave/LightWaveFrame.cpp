// SPDX-License-Identifier: GPL-3.0-or-later
#include "lightwave/LightWaveFrame.h"

namespace zul {

namespace {

struct FieldSource {
    int32_t field;
    int32_t addressA;
    int32_t addressB;
};

// Header fields whose word is not part of a run.
constexpr FieldSource kHeaderSources[] = {
    {1, 17201, 17202},  {2, 17203, 17204},  {11, 17221, 17225}, {12, 17223, 17227},
    {13, 17222, 17226}, {14, 17224, 17228}, {15, 17229, 17230},
};

// Fields 3..10: eight cell numbers per head in consecutive words.
constexpr int32_t kCellFieldFirst = 3;
constexpr int32_t kCellFieldCount = 8;
constexpr int32_t kCellAddressA = 17205;
constexpr int32_t kCellAddressB = 17213;

constexpr int32_t kSamplesAddressA = 17231;
constexpr int32_t kSamplesAddressB = 18255;

}  // namespace

bool FillLightWaveFrames(std::span<const uint16_t> area, uint16_t extraA, uint16_t extraB,
                         LightWaveFrame& headA, LightWaveFrame& headB) {
    if (area.size() != static_cast<size_t>(kFrameAreaWords)) {
        return false;
    }
    auto word = [&](int32_t address) -> int32_t {
        return area[static_cast<size_t>(address - kFrameAreaFirst)];
    };
    for (const FieldSource& source : kHeaderSources) {
        headA.Field(source.field) = word(source.addressA);
        headB.Field(source.field) = word(source.addressB);
    }
    for (int32_t i = 0; i < kCellFieldCount; ++i) {
        headA.Field(kCellFieldFirst + i) = word(kCellAddressA + i);
        headB.Field(kCellFieldFirst + i) = word(kCellAddressB + i);
    }
    for (int32_t s = 0; s < kLightWaveSamples; ++s) {
        headA.Field(kFirstSampleField + s) = word(kSamplesAddressA + s);
        headB.Field(kFirstSampleField + s) = word(kSamplesAddressB + s);
    }
    headA.Field(kExtraWordField) = extraA;
    headB.Field(kExtraWordField) = extraB;
    return true;
}

}  // namespace zul
