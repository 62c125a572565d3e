// SPDX-License-Identifier: GPL-3.0-or-later
// Decodes arbitrary replies: the first two bytes choose how many values are asked for. A failed
// decode must leave the destination untouched; a good one gives finite values.
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "buffering/DeltaDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size < 2) {
        return 0;
    }
    size_t count = (static_cast<size_t>(bytes[0]) << 8 | bytes[1]) % 3001;
    std::string_view reply(reinterpret_cast<const char*>(bytes + 2), size - 2);
    constexpr double kSentinel = -7777.0;
    std::vector<double> out(count, kSentinel);
    zul::ResultInfo info;
    int32_t code = zul::DecodeValueBlock(reply, out, &info);
    if (code != info.code) {
        __builtin_trap();
    }
    for (double v : out) {
        if (code == zul::ZUL_OK ? !std::isfinite(v) : v != kSentinel) {
            __builtin_trap();
        }
    }
    return 0;
}
