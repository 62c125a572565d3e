// SPDX-License-Identifier: GPL-3.0-or-later
// Loads arbitrary bytes as a light-wave data file and saves the result again: nothing may
// crash, and no history may grow past its limit.
#include <cstdint>
#include <memory>

#include "FuzzFile.h"
#include "lightwave/LightWaveFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static zul::fuzz::ScratchFile input(".lwd");
    static zul::fuzz::ScratchFile output(".lwd");
    static auto data = std::make_unique<zul::LightWaveData>();
    input.Write(bytes, size);
    zul::ResultInfo info;
    int32_t code = zul::LoadLightWaveFile(*data, input.Path(), zul::DataFileOptions{}, &info);
    for (const auto& head : data->heads) {
        if (head.history.size() > zul::kMaxHistoryFrames ||
            (code != zul::ZUL_OK && !head.history.empty())) {
            __builtin_trap();
        }
    }
    zul::SaveLightWaveFile(*data, output.Path(), false, zul::DataFileOptions{}, &info);
    return 0;
}
