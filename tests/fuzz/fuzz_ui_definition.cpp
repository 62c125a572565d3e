// SPDX-License-Identifier: GPL-3.0-or-later
// Loads arbitrary bytes as the UI definition, then uses it as the windows do: lookups, choice
// lists, result texts, the firmware-version and micrometre adjustments. Nothing may crash, and a
// filled choice list selects an entry it holds.
#include <array>
#include <cstdint>
#include <string>

#include "FuzzFile.h"
#include "settings/UiDefinition.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static zul::fuzz::ScratchFile input(".frs");
    input.Write(bytes, size);
    zul::UiDefinition ui;
    zul::ResultInfo info;
    int32_t code = ui.Load(input.Path(), &info);
    Check(code == info.code);
    std::array<std::string, 16> aliases;
    aliases.fill("alias");
    for (size_t i = 0; i < ui.RecordCount() && i < 64; ++i) {
        const zul::UiControlRecord& record = ui.Record(i);
        zul::ChoiceList list = ui.FillChoiceList(record.ctrlId, -1, i % 2 ? &aliases : nullptr);
        Check(list.entries.empty()
                  ? list.selected == -1
                  : list.selected >= 0 && static_cast<size_t>(list.selected) < list.entries.size());
        Check(ui.FindById(record.ctrlId) != nullptr || record.ctrlId == 0);
    }
    for (int32_t result = 0; result < 40; ++result) {
        ui.GetErrorText(result);
    }
    for (int32_t message = 0; message < 10; ++message) {
        ui.GetMessageText(message);
    }
    ui.ApplyControllerVersion(0x0100);
    ui.RestrictBufferModeChoices(0x0100, 0x0200, 0x0300);
    ui.ApplyMicronMode(true, "\xC2\xB5m");
    ui.ApplyMicronMode(false, "");
    return 0;
}
