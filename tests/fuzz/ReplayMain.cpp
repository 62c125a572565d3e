// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for libFuzzer's main in the normal build: runs the target once on every file of
// the folders (or files) named on the command line, so that the seeds and every input that
// once crashed a target are replayed by each run of the suite. A folder that does not exist is
// skipped; a target that fails aborts the process, which fails the test.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size);

namespace {

bool RunFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A fresh copy of exactly the input's size, so that reading past it is caught by the
    // sanitizer builds as it would be by the fuzzer.
    std::vector<uint8_t> copy(bytes.begin(), bytes.end());
    // libFuzzer never hands a target a null pointer, not even for an empty input.
    static const uint8_t kNothing = 0;
    LLVMFuzzerTestOneInput(copy.empty() ? &kNothing : copy.data(), copy.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    size_t runs = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path arg(argv[i]);
        std::error_code ec;
        if (std::filesystem::is_regular_file(arg, ec)) {
            ok = RunFile(arg) && ok;
            ++runs;
            continue;
        }
        if (!std::filesystem::is_directory(arg, ec)) {
            continue;
        }
        std::vector<std::filesystem::path> files;
        for (const auto& entry : std::filesystem::directory_iterator(arg, ec)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            ok = RunFile(file) && ok;
            ++runs;
        }
    }
    std::printf("%zu inputs replayed\n", runs);
    return ok ? 0 : 1;
}
