// SPDX-License-Identifier: GPL-3.0-or-later
// A scratch file for fuzz inputs that must be read from disk, one per fuzzing process.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace zul::fuzz {

class ScratchFile {
public:
    explicit ScratchFile(const char* suffix) {
        const char* tmp = getenv("TMPDIR");
        path_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/qvm8-fuzz-XXXXXX" + suffix;
        int fd = mkstemps(path_.data(), static_cast<int>(std::string(suffix).size()));
        if (fd >= 0) {
            close(fd);
        }
    }
    ~ScratchFile() { std::remove(path_.c_str()); }

    const std::string& Path() const { return path_; }

    void Write(const uint8_t* bytes, size_t size) const {
        if (FILE* f = std::fopen(path_.c_str(), "wb")) {
            // An empty input may come with a null pointer, which fwrite must not be given.
            if (size > 0) {
                std::fwrite(bytes, 1, size, f);
            }
            std::fclose(f);
        }
    }

private:
    std::string path_;
};

}  // namespace zul::fuzz
