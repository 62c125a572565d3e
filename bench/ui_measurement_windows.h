// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the measurement and buffering window benchmarks: the shipped UI definition with
// the records of both windows appended, written to a temporary file.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace zul::bench {

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Path of the combined UI definition (in the temporary folder).
inline std::string WindowUiDefinition() {
    const std::string data = QVM8_SOURCE_DATA_DIR;
    const std::string path =
        (std::filesystem::temp_directory_path() / "qvm8-bench-windows.frs").string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << ReadText(data + "/default.frs") << "\n"
        << ReadText(data + "/frs-measurement-buffering.txt");
    return path;
}

}  // namespace zul::bench
