// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds an arbitrary "%EE#RLB" reply into the buffering data, as the acquisition thread stores
// one value block. The first five bytes choose the output, the first value number and the
// count; the rest is the reply data (see FuzzGate.h). A reply that is stored gives finite values
// and moves the number held to the block's end; one that is refused changes nothing.
#include <cmath>
#include <cstdint>
#include <memory>
#include <string_view>

#include "FuzzGate.h"
#include "buffering/BufferingData.h"
#include "buffering/ReadDataRules.h"
#include "link/CommRequest.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

constexpr double kUntouched = -7777.0;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    if (size < 5) {
        return 0;
    }
    static auto data = std::make_unique<zul::BufferingData>();
    int output = bytes[0] & 1;
    int32_t first = 1 + (bytes[1] << 8 | bytes[2]) % zul::kMaxBufferedValues;
    int32_t count = 1 + (bytes[3] << 8 | bytes[4]) % zul::kMaxValuesPerBlock;
    if (count > zul::kMaxBufferedValues - first + 1) {
        count = zul::kMaxBufferedValues - first + 1;
    }
    auto& values = data->outputs[static_cast<size_t>(output)].values;
    for (int32_t n = first; n < first + count; ++n) {
        values[static_cast<size_t>(n - 1)] = kUntouched;
    }
    const int held = zul::BufferingValueSet::FinalDataPoint(output);
    data->header[held] = 5;

    zul::fuzz::FuzzGate gate(std::string_view(reinterpret_cast<const char*>(bytes + 5), size - 5));
    auto request = std::make_unique<zul::CommRequest>();
    request->command = zul::ValueBlockCommand(output, first, first + count - 1);
    request = gate.SubmitAndWait(std::move(request));
    if (request->result.code != zul::ZUL_OK) {
        return 0;
    }
    zul::ResultInfo info;
    int32_t code = zul::StoreValueBlock(*data, output, first, count, request->reply, &info);
    Check(code == info.code);
    for (int32_t n = first; n < first + count; ++n) {
        double v = values[static_cast<size_t>(n - 1)];
        Check(code == zul::ZUL_OK ? std::isfinite(v) : v == kUntouched);
    }
    Check(data->header[held] == (code == zul::ZUL_OK ? first + count - 1 : 5));
    return 0;
}
