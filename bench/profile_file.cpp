// SPDX-License-Identifier: GPL-3.0-or-later
// Load and save of a profile file the size of a full settings file (3000 keys in 16 memory-bank
// sections plus software sections), through cache mode as the settings store uses it.
// Also a data file of 65000 rows in one CSV block (a full buffering data file).
// Prints the best and median time of each step over several runs.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/ProfileFile.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kKeys = 3000;
constexpr int kRuns = 25;
constexpr int kDataRows = 65000;

struct Key {
    std::string section;
    std::string subSection;
    std::string key;
    std::string value;
};

std::vector<Key> MakeKeys() {
    std::vector<Key> keys;
    keys.reserve(kKeys);
    for (int i = 0; i < kKeys; ++i) {
        Key k;
        int bank = i % 17;
        k.section = bank < 16 ? "MEM" + std::to_string(bank) + "_OUT" + std::to_string(i % 2 + 1)
                              : std::string("FORM_SOFTWARE");
        k.subSection = i % 50 == 0 ? "ARRAY" : "";
        k.key = "SettingItem" + std::to_string(i);
        k.value = i % 7 == 0 ? "text with blanks " + std::to_string(i) : std::to_string(i * 37);
        keys.push_back(std::move(k));
    }
    return keys;
}

double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void Report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-28s best %8.3f ms   median %8.3f ms\n", what, times.front(),
                times[times.size() / 2]);
}

}  // namespace

int main() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zul-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string path = pattern + "/bench.zul";
    const std::vector<Key> keys = MakeKeys();

    std::vector<double> saveTimes;
    std::vector<double> loadTimes;
    std::vector<double> rewriteTimes;
    long checksum = 0;
    for (int run = 0; run < kRuns; ++run) {
        std::filesystem::remove(path);
        auto start = Clock::now();
        {
            zul::ProfileFile file;
            file.SetPath(path);
            if (file.Begin(true) != zul::ZUL_OK) {
                std::fprintf(stderr, "Begin for writing failed\n");
                return 1;
            }
            for (const Key& k : keys) {
                file.SetString(k.section, k.subSection, k.key, k.value);
            }
            if (file.End() != zul::ZUL_OK) {
                std::fprintf(stderr, "End failed\n");
                return 1;
            }
        }
        saveTimes.push_back(Millis(Clock::now() - start));

        start = Clock::now();
        {
            zul::ProfileFile file;
            file.SetPath(path);
            file.Begin(false);
            for (const Key& k : keys) {
                checksum +=
                    static_cast<long>(file.GetString(k.section, k.subSection, k.key, "").size());
            }
            file.End();
        }
        loadTimes.push_back(Millis(Clock::now() - start));

        start = Clock::now();
        {
            // Load, change every value, save: what a settings save over an existing file does.
            zul::ProfileFile file;
            file.SetPath(path);
            file.Begin(true);
            for (const Key& k : keys) {
                file.SetString(k.section, k.subSection, k.key, k.value + "x");
            }
            file.End();
        }
        rewriteTimes.push_back(Millis(Clock::now() - start));
    }
    std::printf("profile file: %d keys, %ju bytes, %d runs (checksum %ld)\n", kKeys,
                static_cast<uintmax_t>(std::filesystem::file_size(path)), kRuns, checksum);
    Report("save new file", saveTimes);
    Report("load and read every key", loadTimes);
    Report("load, change all, save", rewriteTimes);

    const std::string dataPath = pattern + "/bench.bfd";
    std::vector<double> dataSave;
    std::vector<double> dataLoad;
    long rows = 0;
    for (int run = 0; run < 5; ++run) {
        std::filesystem::remove(dataPath);
        auto start = Clock::now();
        {
            zul::ProfileFile file;
            file.SetPath(dataPath);
            file.SetLayoutMode(zul::kLayoutDataFile);
            file.Begin(true);
            file.SetInt("Setting", "Common", "FinalDataPoint1", kDataRows);
            file.AddCsvBlock(
                "Data", "CSV",
                [](int64_t, int64_t, zul::ResultInfo&, int64_t& state, bool& done,
                   std::string& line) {
                    if (state > kDataRows) {
                        done = true;
                        return;
                    }
                    char text[64];
                    std::snprintf(text, sizeof text, "%lld,%f,%f", static_cast<long long>(state),
                                  state * 0.001, state * -0.002);
                    line = text;
                    ++state;
                },
                0, 0);
            if (file.End() != zul::ZUL_OK) {
                std::fprintf(stderr, "data file End failed\n");
                return 1;
            }
        }
        dataSave.push_back(Millis(Clock::now() - start));

        start = Clock::now();
        {
            zul::ProfileFile file;
            file.SetPath(dataPath);
            file.SetLayoutMode(zul::kLayoutDataFile);
            file.Begin(false);
            file.ReadCsvBlocks(
                "Data", "CSV",
                [&rows](int64_t, int64_t, zul::ResultInfo&, int64_t&, bool&,
                        const std::string& line) { rows += !line.empty(); },
                0, 0);
            file.End();
        }
        dataLoad.push_back(Millis(Clock::now() - start));
    }
    std::printf("data file: %d rows, %ju bytes, 5 runs (rows read %ld)\n", kDataRows,
                static_cast<uintmax_t>(std::filesystem::file_size(dataPath)), rows);
    Report("save data file", dataSave);
    Report("load data file rows", dataLoad);
    std::filesystem::remove_all(pattern);
    return 0;
}
