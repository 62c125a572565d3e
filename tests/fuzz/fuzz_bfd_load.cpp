// SPDX-License-Identifier: GPL-3.0-or-later
// Loads arbitrary bytes as a buffering data file, then computes the statistics and exports the
// result: nothing may crash, the counts must stay within the arrays, and every value loaded is
// finite.
#include <cmath>
#include <cstdint>
#include <memory>

#include "FuzzFile.h"
#include "buffering/BufferingFile.h"
#include "buffering/BufferingStatistics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static zul::fuzz::ScratchFile input(".bfd");
    static zul::fuzz::ScratchFile output(".csv");
    static auto data = std::make_unique<zul::BufferingData>();
    input.Write(bytes, size);
    zul::ResultInfo info;
    int32_t code = zul::LoadBufferingFile(*data, input.Path(), zul::DataFileOptions{}, &info);
    for (int o = 0; o < zul::kBufferingOutputs; ++o) {
        int32_t count = data->header[zul::BufferingValueSet::FinalDataPoint(o)];
        if (count < 0 || count > zul::kMaxBufferedValues || (code != zul::ZUL_OK && count != 0)) {
            __builtin_trap();
        }
        const auto& values = data->outputs[static_cast<size_t>(o)].values;
        for (int32_t n = 0; n < count; ++n) {
            if (!std::isfinite(values[static_cast<size_t>(n)])) {
                __builtin_trap();  // a data file holds finite values only
            }
        }
        auto& display = data->outputs[static_cast<size_t>(o)].display;
        display.horizontalOn = 1;
        display.horizontalLeft = static_cast<int32_t>(size % 7) - 2;
        display.horizontalRight = static_cast<int32_t>(size % 70000);
    }
    zul::ComputeBufferingStatistics(*data, zul::BufferingValueSet{});
    zul::DataFileOptions options;
    options.micronMode = true;
    options.micronFactor = 1000.0;
    zul::SaveBufferingFile(*data, output.Path(), true, options, &info);
    return 0;
}
