// SPDX-License-Identifier: GPL-3.0-or-later
// Loads arbitrary bytes as a buffering data file, then computes the statistics and exports the
// result: nothing may crash, the counts must stay within the arrays, every value loaded is
// finite and within the controller's range, and a failed load leaves the block as it was.
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
    const zul::BufferingValueSet before = data->header;
    const auto valuesBefore = data->outputs[0].values;
    zul::ResultInfo info;
    int32_t code = zul::LoadBufferingFile(*data, input.Path(), zul::DataFileOptions{}, &info);
    if (code != zul::ZUL_OK && (before != data->header || valuesBefore != data->outputs[0].values ||
                                info.detail2.empty())) {
        __builtin_trap();  // a failed load changed what was shown, or gave no reason
    }
    for (int o = 0; o < zul::kBufferingOutputs; ++o) {
        int32_t count = data->header[zul::BufferingValueSet::FinalDataPoint(o)];
        if (count < 0 || count > zul::kMaxBufferedValues) {
            __builtin_trap();
        }
        const auto& values = data->outputs[static_cast<size_t>(o)].values;
        for (int32_t n = 0; n < count; ++n) {
            const double v = values[static_cast<size_t>(n)];
            if (!std::isfinite(v) || std::fabs(v) > 1000.0) {
                __builtin_trap();  // a data file holds the controller's values only
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
