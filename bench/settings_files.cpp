// SPDX-License-Identifier: GPL-3.0-or-later
// Load and save of a full settings file (all 16 memory banks, every persistent item) through
// the settings store, and load of the shipped UI definition with its completeness check.
// Prints the best and median time of each step over several runs.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "settings/SettingItem.h"
#include "settings/SettingsStore.h"
#include "settings/UiDefinition.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 25;

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-40s best %8.3f ms   median %8.3f ms\n", what, ms.front(), ms[ms.size() / 2]);
}

bool Measure(const char* what, const std::function<int32_t()>& step) {
    std::vector<double> ms;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = Clock::now();
        const int32_t code = step();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (code != zul::ZUL_OK) {
            std::printf("%s failed with code %d\n", what, code);
            return false;
        }
    }
    Report(what, ms);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string frs = argc > 1 ? argv[1] : std::string(QVM8_SOURCE_DATA_DIR) + "/default.frs";
    std::string folder = (std::filesystem::temp_directory_path() / "zul-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    ::setenv("HOME", folder.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (folder + "/config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (folder + "/state").c_str(), 1);

    zul::UiDefinition ui;
    bool ok = Measure("UiDefinition::Load (default.frs)", [&] { return ui.Load(frs); });

    zul::SettingsStore store;
    if (ok) {
        store.ResetToDefaults(ui);
        // Distinct values in every bank so that nothing is a repeated default.
        for (int32_t bank = 0; bank < zul::kBankCount; ++bank) {
            store.SetText<zul::kSoftMemAlias>("Bank " + std::to_string(bank), bank);
            store.SetDouble<zul::kOutDecisionMax>(bank * 0.125, bank, 1);
        }
        const std::string path = folder + "/full.zul";
        ok = Measure("SettingsStore::Save (new file)", [&] {
            std::filesystem::remove(path);
            return store.Save(nullptr, path);
        });
        ok = ok && Measure("SettingsStore::Save (existing file)",
                           [&] { return store.Save(nullptr, path); });
        zul::SettingsStore loaded;
        ok = ok && Measure("SettingsStore::Load", [&] { return loaded.Load(nullptr, path); });
        std::printf("settings file: %ju bytes\n",
                    static_cast<uintmax_t>(std::filesystem::file_size(path)));
    }
    std::filesystem::remove_all(folder);
    return ok ? 0 : 1;
}
