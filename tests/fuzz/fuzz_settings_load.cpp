// SPDX-License-Identifier: GPL-3.0-or-later
// Loads arbitrary bytes as a settings file. Whatever the file holds, the load ends with the
// block check off; a file that loads is saved, and saving what that file loads to gives the
// same text again (one save fixes the form of every value).
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "FuzzFile.h"
#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"

namespace {

void Check(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

std::string Content(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    static zul::fuzz::ScratchFile input(".zul");
    static zul::fuzz::ScratchFile saved(".zul");
    static zul::fuzz::ScratchFile again(".zul");
    input.Write(bytes, size);

    zul::SettingsStore store;
    store.SetInt<zul::kSoftRs232cBCC>(1);
    zul::ResultInfo info;
    zul::SettingsLoadReport report;
    int32_t code = store.Load(&info, input.Path(), &report);
    Check(code == info.code);
    Check(code != zul::ZUL_OK || (report.FoundValues() <= report.soughtValues &&
                                  report.HoldsNoSettings() == (report.FoundValues() == 0)));
    Check(store.GetInt<zul::kSoftRs232cBCC>() == 0);
    if (code != zul::ZUL_OK || store.Save(&info, saved.Path()) != zul::ZUL_OK) {
        return 0;
    }
    zul::SettingsStore reloaded;
    if (reloaded.Load(&info, saved.Path()) != zul::ZUL_OK) {
        __builtin_trap();  // the store refuses a file it wrote itself
    }
    Check(reloaded.Save(&info, again.Path()) == zul::ZUL_OK);
    Check(Content(saved.Path()) == Content(again.Path()));
    return 0;
}
