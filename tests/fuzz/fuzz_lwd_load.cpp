// SPDX-License-Identifier: GPL-3.0-or-later
// Loads arbitrary bytes as a light-wave data file and saves the result again: nothing may
// crash, no history may grow past its limit, and a failed load says why and leaves the frames
// as they were.
#include <cstdint>
#include <memory>

#include "FuzzFile.h"
#include "lightwave/LightWaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static zul::fuzz::ScratchFile input(".lwd");
    static zul::fuzz::ScratchFile output(".lwd");
    static auto data = std::make_unique<zul::LightWaveData>();
    input.Write(bytes, size);
    const size_t before[zul::kLightWaveHeads] = {data->heads[0].history.size(),
                                                 data->heads[1].history.size()};
    zul::ResultInfo info;
    int32_t code = zul::LoadLightWaveFile(*data, input.Path(), zul::DataFileOptions{}, &info);
    for (size_t head = 0; head < zul::kLightWaveHeads; ++head) {
        const size_t frames = data->heads[head].history.size();
        if (frames > zul::kMaxHistoryFrames ||
            (code != zul::ZUL_OK && (frames != before[head] || info.detail2.empty()))) {
            __builtin_trap();
        }
    }
    zul::SaveLightWaveFile(*data, output.Path(), false, zul::DataFileOptions{}, &info);
    return 0;
}
