// SPDX-License-Identifier: GPL-3.0-or-later
// The last four settings files opened or saved, newest first, kept in the default settings
// file in a section of their own (the settings store leaves sections it does not know alone).
#pragma once

#include <string>
#include <vector>

namespace zul::ui {

inline constexpr size_t kRecentFileCount = 4;

class RecentFiles {
public:
    // Puts path first (once; paths compared as given), keeping at most four.
    void Add(const std::string& path);
    void Remove(const std::string& path);
    const std::vector<std::string>& Paths() const { return paths_; }

    // Reads and writes the list in the settings file at path. Write keeps everything else in
    // the file. False when the file cannot be read or written.
    bool Read(const std::string& settingsFile);
    bool Write(const std::string& settingsFile) const;

private:
    std::vector<std::string> paths_;
};

}  // namespace zul::ui
