// SPDX-License-Identifier: GPL-3.0-or-later
// A private temporary folder for one test, with HOME and the XDG folders pointing into it, so
// that no test touches the real user's files.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace zul::testing {

class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "qvm8-data-XXXXXX").string();
        char* made = mkdtemp(pattern.data());
        if (made != nullptr) {
            path_ = made;
        }
        setenv("HOME", path_.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (path_ + "/config").c_str(), 1);
        setenv("XDG_STATE_HOME", (path_ + "/state").c_str(), 1);
        setenv("XDG_CACHE_HOME", (path_ + "/cache").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", path_.c_str(), 1);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    bool Ok() const { return !path_.empty(); }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file's text with carriage returns removed.
inline std::string ReadLines(const std::string& path) {
    std::string text = ReadWholeFile(path);
    std::string out;
    for (char c : text) {
        if (c != '\r') {
            out += c;
        }
    }
    return out;
}

inline void WriteWholeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

}  // namespace zul::testing
